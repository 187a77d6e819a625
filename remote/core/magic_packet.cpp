#include "remote/core/magic_packet.h"

#include <cstring>

namespace {

constexpr std::size_t kMacBytes = 6;
constexpr std::size_t kPartStride = 3;  // two digits and a separator
constexpr std::size_t kMaxPieceBytes = 2;

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// strtol(text, nullptr, 16) on a zero-terminated text of at most two bytes,
// written out so that it reads every byte the same on every C library.
long HexToLong(const char* text) {
  while (IsCSpace(*text)) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && HexDigitValue(text[2]) >= 0) text += 2;
  long value = 0;
  for (int digit; (digit = HexDigitValue(*text)) >= 0; ++text) value = value * 16 + digit;
  return negative ? -value : value;
}

}  // namespace

int ParseMacByte(std::string piece) {
  if (piece.size() > kMaxPieceBytes) return 0;
  char text[kMaxPieceBytes + 1] = {};
  std::memcpy(text, piece.data(), piece.size());
  // Two bytes can't overflow, so strtol's overflow results (0 doubles as "no
  // digits") never turn up; only 0 remains to map, and it maps to itself.
  return static_cast<int>(HexToLong(text));
}

MagicPacket BuildMagicPacket(const std::string& macText) {
  MagicPacket packet{};
  for (std::size_t i = 0; i < kMacBytes; ++i) packet[i] = 0xFF;
  for (std::size_t k = 0; k < kMacBytes; ++k) {
    const std::size_t start = kPartStride * k;
    const std::string piece = start < macText.size() ? macText.substr(start, kMaxPieceBytes) : std::string();
    packet[kMacBytes + k] = static_cast<std::uint8_t>(ParseMacByte(piece) & 0xFF);
  }
  for (std::size_t i = 2 * kMacBytes; i < kMagicPacketSize; ++i) packet[i] = packet[i - kMacBytes];
  return packet;
}
