#include "banner/core/picture_format.h"

#include <cstring>

namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Bounds-checked little- and big-endian reads over one buffer.
class ByteView {
 public:
  ByteView(const std::uint8_t* data, std::uint32_t length) : m_data(data), m_length(data == nullptr ? 0 : length) {}
  bool Has(std::uint64_t offset, std::uint64_t count) const {
    return offset <= m_length && count <= m_length - offset;
  }
  std::uint8_t U8(std::uint32_t at) const { return m_data[at]; }
  std::uint32_t BigU16(std::uint32_t at) const { return (std::uint32_t{m_data[at]} << 8) | m_data[at + 1]; }
  std::uint32_t BigU32(std::uint32_t at) const { return (BigU16(at) << 16) | BigU16(at + 2); }
  std::uint32_t LittleU16(std::uint32_t at) const { return m_data[at] | (std::uint32_t{m_data[at + 1]} << 8); }
  std::uint32_t LittleU32(std::uint32_t at) const { return LittleU16(at) | (LittleU16(at + 2) << 16); }
  bool Matches(std::uint32_t at, const void* bytes, std::uint32_t count) const {
    return Has(at, count) && std::memcmp(m_data + at, bytes, count) == 0;
  }

 private:
  const std::uint8_t* m_data;
  std::uint32_t m_length;
};

std::optional<PixelSize> Sized(std::uint32_t width, std::uint32_t height) {
  if (width == 0 || height == 0) return std::nullopt;
  return PixelSize{width, height};
}

std::optional<PixelSize> PngSize(const ByteView& bytes) {
  // Signature, then the IHDR chunk: length, type, width, height.
  if (!bytes.Has(0, 24) || !bytes.Matches(12, "IHDR", 4)) return std::nullopt;
  return Sized(bytes.BigU32(16), bytes.BigU32(20));
}

bool IsFrameHeader(std::uint8_t marker) {
  // SOF0-SOF15 but DHT (C4), JPG (C8) and DAC (CC).
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

std::optional<PixelSize> JpegSize(const ByteView& bytes) {
  std::uint64_t at = 2;  // behind SOI
  while (bytes.Has(at, 4)) {
    if (bytes.U8(static_cast<std::uint32_t>(at)) != 0xFF) return std::nullopt;
    const std::uint8_t marker = bytes.U8(static_cast<std::uint32_t>(at + 1));
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    // The image data starts, or the image ends, before any frame header.
    if (marker == 0xDA || marker == 0xD9) return std::nullopt;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length field
      at += 2;
      continue;
    }
    const std::uint32_t segment = bytes.BigU16(static_cast<std::uint32_t>(at + 2));
    if (segment < 2) return std::nullopt;
    if (IsFrameHeader(marker)) {
      // Length, precision, height, width.
      if (!bytes.Has(at + 2, 7)) return std::nullopt;
      const auto fields = static_cast<std::uint32_t>(at + 5);
      return Sized(bytes.BigU16(fields + 2), bytes.BigU16(fields));
    }
    at += 2 + segment;
  }
  return std::nullopt;
}

std::optional<PixelSize> BmpSize(const ByteView& bytes) {
  constexpr std::uint32_t kInfo = 14;
  constexpr std::uint32_t kCoreHeaderSize = 12;
  if (!bytes.Has(kInfo, 4)) return std::nullopt;
  const std::uint32_t headerSize = bytes.LittleU32(kInfo);
  if (headerSize == kCoreHeaderSize) {
    if (!bytes.Has(kInfo + 4, 4)) return std::nullopt;
    return Sized(bytes.LittleU16(kInfo + 4), bytes.LittleU16(kInfo + 6));
  }
  if (headerSize < 40 || !bytes.Has(kInfo + 4, 8)) return std::nullopt;
  const auto width = static_cast<std::int32_t>(bytes.LittleU32(kInfo + 4));
  const auto height = static_cast<std::int32_t>(bytes.LittleU32(kInfo + 8));
  // A negative height is a top-down bitmap; a negative width is invalid.
  if (width <= 0 || height == INT32_MIN) return std::nullopt;
  return Sized(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height < 0 ? -height : height));
}

}  // namespace

PictureFormat SniffPictureFormat(const std::uint8_t* data, std::uint32_t length) {
  const ByteView bytes(data, length);
  if (bytes.Matches(0, "GIF87a", 6) || bytes.Matches(0, "GIF89a", 6)) return PictureFormat::Gif;
  if (bytes.Matches(0, "\xFF\xD8\xFF", 3)) return PictureFormat::Jpeg;
  if (bytes.Matches(0, kPngSignature, sizeof(kPngSignature))) return PictureFormat::Png;
  if (bytes.Matches(0, "BM", 2)) return PictureFormat::Bmp;
  return PictureFormat::Unknown;
}

std::optional<PixelSize> StillPictureSize(PictureFormat format, const std::uint8_t* data, std::uint32_t length) {
  const ByteView bytes(data, length);
  switch (format) {
    case PictureFormat::Png:
      return PngSize(bytes);
    case PictureFormat::Jpeg:
      return JpegSize(bytes);
    case PictureFormat::Bmp:
      return BmpSize(bytes);
    case PictureFormat::Gif:
    case PictureFormat::Unknown:
      break;
  }
  return std::nullopt;
}
