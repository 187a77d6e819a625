#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// The Wake-on-LAN payload: six bytes FF, then the six address bytes sixteen times.
constexpr std::size_t kMagicPacketSize = 102;
using MagicPacket = std::array<std::uint8_t, kMagicPacketSize>;

// One MAC part as strtol reads it in base 16 (leading white space, a sign, an
// optional "0x", hexadecimal digits up to the first other byte). A piece
// longer than 2 bytes gives 0. The caller keeps the low 8 bits, so "-1" gives
// 0xFF.
int ParseMacByte(std::string piece);

// Reads the MAC text by position: the pieces are the up to two bytes at byte
// offsets 0, 3, 6, 9, 12 and 15, whatever stands between them. Malformed text
// never fails; unreadable pieces give 0.
MagicPacket BuildMagicPacket(const std::string& macText);
