#pragma once
// Helpers shared by the list file tests and fuzz targets.
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

inline void Append(Bytes& out, std::initializer_list<int> values) {
  for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
}

inline void Append(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

inline void AppendI32(Bytes& out, std::int32_t value) {
  const auto raw = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(raw >> (8 * i)));
}

// A short archive string (one-byte prefix).
inline void AppendShort(Bytes& out, const std::string& text) {
  out.push_back(static_cast<std::uint8_t>(text.size()));
  Append(out, text);
}

// The file start: "PMS" and a count.
inline Bytes Header(std::int32_t count) {
  Bytes out;
  AppendShort(out, "PMS");
  AppendI32(out, count);
  return out;
}

inline void AppendEntry(Bytes& out, const std::string& name, const std::string& mac = "00-11-22-33-44-55",
                        const std::string& port = "40000") {
  AppendShort(out, name);
  AppendShort(out, mac);
  AppendShort(out, port);
}

}  // namespace list_test
