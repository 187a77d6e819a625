#include "banner/core/picture_format.h"

#include "banner/core/byte_view.h"
#include "banner/core/icon_layout.h"
#include "banner/core/jpeg_layout.h"

namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::optional<PixelSize> Sized(std::uint32_t width, std::uint32_t height) {
  if (width == 0 || height == 0) return std::nullopt;
  return PixelSize{width, height};
}

std::optional<PixelSize> PngSize(const ByteView& bytes) {
  constexpr std::uint32_t kIhdrLength = 13;
  constexpr std::uint32_t kChunkOverhead = 12;  // length, type, CRC
  constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFF;
  // Chunk by chunk from IHDR, which must come first, to IEND.
  std::optional<PixelSize> size;
  std::uint64_t at = sizeof(kPngSignature);
  while (bytes.Has(at, kChunkOverhead)) {
    const std::uint32_t length = bytes.BigU32(at);
    if (length > kMaxChunkLength || !bytes.Has(at, std::uint64_t{kChunkOverhead} + length)) return std::nullopt;
    const bool header = bytes.Matches(at + 4, "IHDR", 4);
    if (header != !size.has_value()) return std::nullopt;  // IHDR first, and once
    if (header) {
      if (length != kIhdrLength) return std::nullopt;
      size = Sized(bytes.BigU32(at + 8), bytes.BigU32(at + 12));
      if (!size) return std::nullopt;
    }
    if (bytes.Matches(at + 4, "IEND", 4)) return size;
    at += kChunkOverhead + std::uint64_t{length};
  }
  return std::nullopt;
}

// The bytes a BMP's pixels end at: its pixel offset plus, uncompressed, the
// rows its size and depth need, or, compressed, the image size it states.
std::optional<std::uint64_t> BmpPixelsEnd(const ByteView& bytes, std::uint32_t width, std::uint32_t height,
                                          std::uint32_t bitsPerPixel, std::uint32_t compression,
                                          std::uint32_t imageSize) {
  constexpr std::uint32_t kRgb = 0;
  constexpr std::uint32_t kBitFields = 3;
  if (bitsPerPixel == 0 || bitsPerPixel > 32) return std::nullopt;
  const std::uint64_t pixelOffset = bytes.LittleU32(10);
  if (compression == kRgb || compression == kBitFields) {
    const std::uint64_t stride = (std::uint64_t{width} * bitsPerPixel + 31) / 32 * 4;
    return pixelOffset + stride * height;
  }
  if (imageSize == 0) return std::nullopt;
  return pixelOffset + imageSize;
}

std::optional<PixelSize> BmpSize(const ByteView& bytes) {
  constexpr std::uint32_t kInfo = 14;
  constexpr std::uint32_t kCoreHeaderSize = 12;
  constexpr std::uint32_t kInfoHeaderSize = 40;
  if (!bytes.Has(kInfo, 4)) return std::nullopt;
  const std::uint32_t headerSize = bytes.LittleU32(kInfo);
  std::optional<PixelSize> size;
  std::optional<std::uint64_t> end;
  if (headerSize == kCoreHeaderSize) {
    if (!bytes.Has(kInfo, kCoreHeaderSize)) return std::nullopt;
    size = Sized(bytes.LittleU16(kInfo + 4), bytes.LittleU16(kInfo + 6));
    if (size) end = BmpPixelsEnd(bytes, size->width, size->height, bytes.LittleU16(kInfo + 10), 0, 0);
  } else {
    if (headerSize < kInfoHeaderSize || !bytes.Has(kInfo, kInfoHeaderSize)) return std::nullopt;
    const auto width = static_cast<std::int32_t>(bytes.LittleU32(kInfo + 4));
    const auto height = static_cast<std::int32_t>(bytes.LittleU32(kInfo + 8));
    // A negative height is a top-down bitmap; a negative width is invalid.
    if (width <= 0 || height == INT32_MIN) return std::nullopt;
    size = Sized(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height < 0 ? -height : height));
    if (size) {
      end = BmpPixelsEnd(bytes, size->width, size->height, bytes.LittleU16(kInfo + 14), bytes.LittleU32(kInfo + 16),
                         bytes.LittleU32(kInfo + 20));
    }
  }
  // Whole: the pixels, and the file size the header gives, are all there.
  const std::uint32_t fileSize = bytes.LittleU32(2);
  if (!size || !end || *end > bytes.length() || fileSize > bytes.length()) return std::nullopt;
  return size;
}

}  // namespace

PictureFormat SniffPictureFormat(const std::uint8_t* data, std::uint32_t length) {
  const ByteView bytes(data, length);
  if (bytes.Matches(0, "GIF87a", 6) || bytes.Matches(0, "GIF89a", 6)) return PictureFormat::Gif;
  if (bytes.Matches(0, "\xFF\xD8\xFF", 3)) return PictureFormat::Jpeg;
  if (bytes.Matches(0, kPngSignature, sizeof(kPngSignature))) return PictureFormat::Png;
  if (bytes.Matches(0, "BM", 2)) return PictureFormat::Bmp;
  // Reserved 0, then 1 for icons or 2 for cursors.
  if (bytes.Matches(0, "\0\0\1\0", 4) || bytes.Matches(0, "\0\0\2\0", 4)) return PictureFormat::Icon;
  return PictureFormat::Unknown;
}

std::optional<PixelSize> StillPictureSize(PictureFormat format, const std::uint8_t* data, std::uint32_t length) {
  const ByteView bytes(data, length);
  switch (format) {
    case PictureFormat::Png:
      return PngSize(bytes);
    case PictureFormat::Jpeg:
      return JpegFrameSize(bytes);
    case PictureFormat::Bmp:
      return BmpSize(bytes);
    case PictureFormat::Icon:
      return IconLargestSize(bytes);
    case PictureFormat::Gif:
    case PictureFormat::Unknown:
      break;
  }
  return std::nullopt;
}
