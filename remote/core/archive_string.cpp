#include "remote/core/archive_string.h"

#include <cstddef>
#include <utility>

namespace {

constexpr std::uint8_t kLongerPrefix = 0xFF;
constexpr std::uint16_t kUtf16Marker = 0xFFFE;
constexpr std::uint16_t k32BitMarker = 0xFFFF;

void AppendLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// Reads a prefix; utf16 tells whether the marker FF FFFE came first.
bool ReadLength(ArchiveReader& in, std::uint32_t& length, bool& utf16) {
  utf16 = false;
  std::uint8_t shortLength = 0;
  if (!in.ReadU8(shortLength)) return false;
  if (shortLength < kLongerPrefix) {
    length = shortLength;
    return true;
  }
  std::uint16_t mediumLength = 0;
  if (!in.ReadU16(mediumLength)) return false;
  if (mediumLength == kUtf16Marker) {
    // The second prefix counts 16-bit characters. In it, FFFE is a plain
    // length: there is no UTF-16 form inside the UTF-16 form.
    utf16 = true;
    if (!in.ReadU8(shortLength)) return false;
    if (shortLength < kLongerPrefix) {
      length = shortLength;
      return true;
    }
    if (!in.ReadU16(mediumLength)) return false;
  }
  if (mediumLength != k32BitMarker) {
    length = mediumLength;
    return true;
  }
  return in.ReadU32(length);
}

}  // namespace

void AppendArchiveString(std::vector<std::uint8_t>& out, const std::string& text) {
  const auto n = static_cast<std::uint32_t>(text.size());
  if (n < 0xFF) {
    AppendLittleEndian(out, n, 1);
  } else if (n < 0xFFFE) {
    out.push_back(kLongerPrefix);
    AppendLittleEndian(out, n, 2);
  } else {
    out.push_back(kLongerPrefix);
    AppendLittleEndian(out, k32BitMarker, 2);
    AppendLittleEndian(out, n, 4);
  }
  out.insert(out.end(), text.begin(), text.end());
}

bool ReadArchiveString(ArchiveReader& in, const Utf16ToAnsi& toAnsi, std::string& text) {
  std::uint32_t length = 0;
  bool utf16 = false;
  if (!ReadLength(in, length, utf16)) return false;

  const std::uint64_t byteCount = utf16 ? std::uint64_t{length} * 2 : length;
  if (byteCount > in.Remaining() || byteCount > SIZE_MAX) return false;
  if (utf16 && !toAnsi) return false;

  if (!utf16) {
    std::string bytes(length, '\0');
    if (!in.ReadBytes(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size())) return false;
    text = std::move(bytes);
    return true;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(byteCount));
  if (!in.ReadBytes(bytes.data(), bytes.size())) return false;
  std::u16string wide(length, u'\0');
  for (std::size_t i = 0; i < wide.size(); ++i) {
    wide[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  text = toAnsi(wide);
  return true;
}
