#pragma once
// Builders for hand-made list files, shared by the tests and fuzz targets.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace list_test {

using Bytes = std::vector<std::uint8_t>;

// Stands in for the ANSI conversion: ASCII as is, everything else '?'.
inline std::string AsciiOrQuestionMark(const std::u16string& wide) {
  std::string out;
  for (char16_t c : wide) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

inline Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

inline Bytes I32(std::int32_t value) {
  const auto raw = static_cast<std::uint32_t>(value);
  return {static_cast<std::uint8_t>(raw), static_cast<std::uint8_t>(raw >> 8), static_cast<std::uint8_t>(raw >> 16),
          static_cast<std::uint8_t>(raw >> 24)};
}

// An archive string with the one-byte prefix (texts under 255 bytes).
inline Bytes Short(const std::string& text) { return Cat({{static_cast<std::uint8_t>(text.size())}, Text(text)}); }

// "PMS" and a count.
inline Bytes Header(std::int32_t count) { return Cat({Short("PMS"), I32(count)}); }

inline Bytes Entry(const std::string& name, const std::string& mac = "00-11-22-33-44-55",
                   const std::string& port = "40000") {
  return Cat({Short(name), Short(mac), Short(port)});
}

}  // namespace list_test
