#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "remote/core/archive_reader.h"

// Text in the list file is a length prefix followed by the bytes:
//   0..254          one byte n
//   255..65533      FF, n as 16-bit
//   65534 and more  FF, FFFF, n as 32-bit
// Readers also meet FF FFFE: a UTF-16LE string whose second prefix counts
// 16-bit characters. Such text is turned into ANSI bytes by the caller's
// conversion (WideCharToMultiByte on Windows, iconv in the tools).
using Utf16ToAnsi = std::function<std::string(const std::u16string&)>;

// Appends text with its prefix. Text is taken as bytes, never converted, and
// is under 4 GiB, as every text the list can hold is.
void AppendArchiveString(std::vector<std::uint8_t>& out, const std::string& text);

// Reads one string. False at the end of the data, on a read error, when the
// prefix claims more bytes than remain (nothing is allocated for it), or for
// the UTF-16 form when toAnsi is empty.
[[nodiscard]] bool ReadArchiveString(ArchiveReader& in, const Utf16ToAnsi& toAnsi, std::string& text);
