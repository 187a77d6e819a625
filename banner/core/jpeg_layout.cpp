#include "banner/core/jpeg_layout.h"

#include <cstring>

namespace {

constexpr std::uint8_t kMarkerPrefix = 0xFF;
constexpr std::uint8_t kStuffed = 0x00;
constexpr std::uint8_t kTem = 0x01;
constexpr std::uint8_t kSoi = 0xD8;
constexpr std::uint8_t kEoi = 0xD9;
constexpr std::uint8_t kSos = 0xDA;
// Length, precision, height, width, component count.
constexpr std::uint32_t kFrameHeaderMinimum = 8;

bool IsRestart(std::uint8_t marker) { return marker >= 0xD0 && marker <= 0xD7; }

bool IsFrameHeader(std::uint8_t marker) {
  // SOF0-SOF15 but DHT (C4), JPG (C8) and DAC (CC).
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Reads the marker at *at (an FF, any fill FFs, the marker byte) and leaves
// *at behind it. Nothing when no FF stands there or the data ends.
std::optional<std::uint8_t> ReadMarker(const ByteView& bytes, std::uint64_t* at) {
  if (!bytes.Has(*at, 1) || bytes.U8(*at) != kMarkerPrefix) return std::nullopt;
  std::uint64_t next = *at + 1;
  while (bytes.Has(next, 1) && bytes.U8(next) == kMarkerPrefix) ++next;
  if (!bytes.Has(next, 1)) return std::nullopt;
  *at = next + 1;
  return bytes.U8(next);
}

// Passes over entropy-coded data from *at: stuffed FF 00 and restart
// markers belong to it. Leaves *at on the FF of the marker that ends it;
// false when the data ends first.
bool SkipEntropyData(const ByteView& bytes, std::uint64_t* at) {
  const std::uint8_t* data = bytes.data();
  std::uint64_t pos = *at;
  for (;;) {
    if (!bytes.Has(pos, 1)) return false;
    const void* found = std::memchr(data + pos, kMarkerPrefix, bytes.length() - pos);
    if (found == nullptr) return false;
    pos = static_cast<std::uint64_t>(static_cast<const std::uint8_t*>(found) - data);
    std::uint64_t next = pos + 1;
    while (bytes.Has(next, 1) && bytes.U8(next) == kMarkerPrefix) ++next;
    if (!bytes.Has(next, 1)) return false;
    const std::uint8_t byte = bytes.U8(next);
    if (byte == kStuffed || IsRestart(byte)) {
      pos = next + 1;
      continue;
    }
    *at = next - 1;  // the last FF before the marker byte
    return true;
  }
}

}  // namespace

std::optional<PixelSize> JpegFrameSize(const ByteView& bytes) {
  if (!bytes.Has(0, 2) || bytes.U8(0) != kMarkerPrefix || bytes.U8(1) != kSoi) return std::nullopt;
  std::optional<PixelSize> size;
  bool scanned = false;
  std::uint64_t at = 2;
  for (;;) {
    const std::optional<std::uint8_t> marker = ReadMarker(bytes, &at);
    if (!marker || *marker == kStuffed || *marker == kSoi) return std::nullopt;
    if (*marker == kEoi) return scanned ? size : std::nullopt;
    if (*marker == kTem || IsRestart(*marker)) continue;

    if (!bytes.Has(at, 2)) return std::nullopt;
    const std::uint32_t segment = bytes.BigU16(at);
    if (segment < 2 || !bytes.Has(at, segment)) return std::nullopt;
    if (IsFrameHeader(*marker)) {
      // A second frame header is read by some decoders and refused by others.
      if (size || segment < kFrameHeaderMinimum) return std::nullopt;
      const std::uint32_t height = bytes.BigU16(at + 3);
      const std::uint32_t width = bytes.BigU16(at + 5);
      if (width == 0 || height == 0) return std::nullopt;
      size = PixelSize{width, height};
    }
    at += segment;
    if (*marker == kSos) {
      if (!size || !SkipEntropyData(bytes, &at)) return std::nullopt;
      scanned = true;
    }
  }
}
