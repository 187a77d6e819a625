#include "banner/core/icon_layout.h"

namespace {

constexpr std::uint32_t kDirectoryHeader = 6;
constexpr std::uint32_t kEntryLength = 16;
constexpr std::uint32_t kMaxImages = 256;
constexpr std::uint32_t kBitmapHeaderMinimum = 40;
constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint32_t EntrySide(std::uint8_t side) { return side == 0 ? 256 : side; }

// The image at offset, of length bytes, is the size its entry says.
bool ImageMatchesEntry(const ByteView& bytes, std::uint32_t offset, std::uint32_t length, std::uint32_t width,
                       std::uint32_t height) {
  if (bytes.Matches(offset, kPngSignature, sizeof(kPngSignature))) {
    // Signature, IHDR length and type, width, height.
    return length >= 24 && bytes.Matches(offset + 12, "IHDR", 4) && bytes.BigU32(offset + 16) == width &&
           bytes.BigU32(offset + 20) == height;
  }
  if (length < kBitmapHeaderMinimum || bytes.LittleU32(offset) < kBitmapHeaderMinimum) return false;
  // The bitmap's height counts the colour image and its mask.
  return bytes.LittleU32(offset + 4) == width && bytes.LittleU32(offset + 8) == 2 * height;
}

}  // namespace

std::optional<PixelSize> IconLargestSize(const ByteView& bytes) {
  if (!bytes.Has(0, kDirectoryHeader)) return std::nullopt;
  const std::uint32_t count = bytes.LittleU16(4);
  if (count == 0 || count > kMaxImages) return std::nullopt;
  const std::uint64_t imagesStart = kDirectoryHeader + std::uint64_t{kEntryLength} * count;
  if (!bytes.Has(0, imagesStart)) return std::nullopt;
  std::optional<PixelSize> largest;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t entry = kDirectoryHeader + std::uint64_t{kEntryLength} * i;
    const std::uint32_t width = EntrySide(bytes.U8(entry));
    const std::uint32_t height = EntrySide(bytes.U8(entry + 1));
    const std::uint32_t length = bytes.LittleU32(entry + 8);
    const std::uint32_t offset = bytes.LittleU32(entry + 12);
    if (offset < imagesStart || !bytes.Has(offset, length)) return std::nullopt;
    if (!ImageMatchesEntry(bytes, offset, length, width, height)) return std::nullopt;
    if (!largest || std::uint64_t{width} * height > std::uint64_t{largest->width} * largest->height) {
      largest = PixelSize{width, height};
    }
  }
  return largest;
}
