#include "banner/core/gif_walker.h"

#include <cstring>
#include <limits>

namespace {

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;

constexpr std::uint8_t kLabelPlainText = 0x01;
constexpr std::uint8_t kLabelGraphicControl = 0xF9;
constexpr std::uint8_t kLabelComment = 0xFE;
constexpr std::uint8_t kLabelApplication = 0xFF;

// Fixed parts before a sub-block chain, by the GIF89a layout.
constexpr std::uint32_t kApplicationFixed = 14;
constexpr std::uint32_t kCommentFixed = 2;
constexpr std::uint32_t kGraphicControlLength = 8;
constexpr std::uint32_t kPlainTextFixed = 15;
constexpr std::uint32_t kImageDescriptorLength = 10;

// Bytes of a colour table announced by a packed byte (global or local).
std::uint32_t ColorTableLength(std::uint8_t packed) {
  return (packed & 0x80) != 0 ? 3u << ((packed & 7) + 1) : 0u;
}

bool IsRenderingBlock(GifBlockKind kind) {
  return kind == GifBlockKind::ImageDescriptor || kind == GifBlockKind::PlainTextExtension;
}

bool IsLeadingExtension(GifBlockKind kind) {
  return kind == GifBlockKind::ApplicationExtension || kind == GifBlockKind::CommentExtension;
}

}  // namespace

GifWalker::GifWalker(const std::uint8_t* data, std::uint32_t length)
    : data_(data), length_(data == nullptr ? 0 : length) {
  isGif_ = length_ >= 13 && std::memcmp(data_, "GIF", 3) == 0 &&
           (std::memcmp(data_ + 3, "87a", 3) == 0 || std::memcmp(data_ + 3, "89a", 3) == 0);
  if (isGif_) {
    screenWidth_ = ReadU16(6);
    screenHeight_ = ReadU16(8);
    globalTableLength_ = ColorTableLength(data_[10]);
  }
  Rewind();
}

std::uint32_t GifWalker::ReadU16(std::uint32_t offset) const {
  // Callers have checked that both bytes lie inside the data.
  return static_cast<std::uint32_t>(data_[offset]) |
         (static_cast<std::uint32_t>(data_[offset + 1]) << 8);
}

GifBlockKind GifWalker::ClassifyBlock() const {
  if (!Has(cursor_, 1)) return GifBlockKind::Unrecognized;
  switch (data_[cursor_]) {
    case kImageSeparator:
      return GifBlockKind::ImageDescriptor;
    case kTrailer:
      return GifBlockKind::Trailer;
    case kExtensionIntroducer:
      break;
    default:
      return GifBlockKind::Unrecognized;
  }
  if (!Has(cursor_, 2)) return GifBlockKind::Unrecognized;
  switch (data_[cursor_ + 1]) {
    case kLabelApplication:
      return GifBlockKind::ApplicationExtension;
    case kLabelComment:
      return GifBlockKind::CommentExtension;
    case kLabelGraphicControl:
      return GifBlockKind::GraphicControlExtension;
    case kLabelPlainText:
      return GifBlockKind::PlainTextExtension;
    default:
      return GifBlockKind::Unrecognized;
  }
}

std::uint32_t GifWalker::SubBlockChainLength(std::uint32_t offset) const {
  std::uint64_t at = offset;
  while (at < length_) {
    const std::uint8_t size = data_[at];
    at += 1u + size;
    if (size == 0) return static_cast<std::uint32_t>(at - offset);
  }
  return 0;
}

std::int64_t GifWalker::BlockLength() const {
  // Fixed part, then the chain behind it (if any).
  std::uint64_t fixed = 0;
  bool chained = true;
  switch (ClassifyBlock()) {
    case GifBlockKind::Unrecognized:
      return -1;
    case GifBlockKind::Trailer:
      return 1;
    case GifBlockKind::GraphicControlExtension:
      fixed = kGraphicControlLength;
      chained = false;
      break;
    case GifBlockKind::ApplicationExtension:
      fixed = kApplicationFixed;
      break;
    case GifBlockKind::CommentExtension:
      fixed = kCommentFixed;
      break;
    case GifBlockKind::PlainTextExtension:
      fixed = kPlainTextFixed;
      break;
    case GifBlockKind::ImageDescriptor:
      if (!Has(cursor_, kImageDescriptorLength)) return 0;
      // Local colour table, then the minimum code size byte.
      fixed = kImageDescriptorLength + ColorTableLength(data_[cursor_ + 9]) + 1;
      break;
  }
  if (!Has(cursor_, fixed)) return 0;
  if (!chained) return static_cast<std::int64_t>(fixed);
  const std::uint64_t chainStart = cursor_ + fixed;
  if (chainStart >= length_) return 0;
  const std::uint32_t chain = SubBlockChainLength(static_cast<std::uint32_t>(chainStart));
  if (chain == 0) return 0;
  return static_cast<std::int64_t>(fixed + chain);
}

bool GifWalker::SkipBlock() {
  const std::int64_t length = BlockLength();
  if (length <= 0 || !Has(cursor_, static_cast<std::uint64_t>(length))) return false;
  cursor_ += static_cast<std::uint32_t>(length);
  return true;
}

bool GifWalker::SkipLeadingExtensions() {
  while (IsLeadingExtension(ClassifyBlock())) {
    if (!SkipBlock()) return false;
  }
  return true;
}

// From just behind a graphic control extension: passes over application,
// comment and further graphic control extensions up to the rendering block.
bool GifWalker::SkipToRenderingBlock() {
  for (;;) {
    const GifBlockKind kind = ClassifyBlock();
    if (IsRenderingBlock(kind)) return true;
    if (kind == GifBlockKind::Unrecognized || kind == GifBlockKind::Trailer) return false;
    if (!SkipBlock()) return false;
  }
}

GifFrameRect GifWalker::RenderingBlockRect() const {
  GifFrameRect rect;
  if (ClassifyBlock() == GifBlockKind::ImageDescriptor && Has(cursor_, kImageDescriptorLength)) {
    rect.left = ReadU16(cursor_ + 1);
    rect.top = ReadU16(cursor_ + 3);
    rect.width = ReadU16(cursor_ + 5);
    rect.height = ReadU16(cursor_ + 7);
  }
  return rect;
}

bool GifWalker::SkipFrame(GifFrameRect* rect) {
  if (!SkipLeadingExtensions()) return false;
  const GifBlockKind kind = ClassifyBlock();
  if (kind == GifBlockKind::Unrecognized || kind == GifBlockKind::Trailer) return false;
  if (BlockLength() <= 0) return false;
  if (!IsRenderingBlock(kind)) {
    // A graphic control extension opens the frame.
    if (!SkipBlock()) return false;
    if (!SkipToRenderingBlock()) return false;
  }
  if (rect != nullptr) *rect = RenderingBlockRect();
  return SkipBlock();
}

std::uint32_t GifWalker::CountFrames() {
  Rewind();
  if (!isGif_) return 0;
  std::uint32_t count = 0;
  while (SkipFrame()) ++count;
  return count;
}

std::optional<ExtractedGifFrame> GifWalker::ExtractFrame(FrameAllocator& allocator) {
  if (!isGif_) return std::nullopt;
  ExtractedGifFrame frame;
  frame.disposal = 0;

  if (!SkipLeadingExtensions()) return std::nullopt;
  const GifBlockKind kind = ClassifyBlock();
  if (kind == GifBlockKind::Unrecognized || kind == GifBlockKind::Trailer) return std::nullopt;
  const std::uint32_t start = cursor_;
  if (BlockLength() <= 0) return std::nullopt;

  if (kind == GifBlockKind::GraphicControlExtension) {
    // The whole 8-byte extension lies inside the data (BlockLength > 0).
    frame.delay = ReadU16(start + 4);
    frame.disposal = (data_[start + 3] >> 2) & 7u;
    if (!SkipBlock() || !SkipToRenderingBlock()) return std::nullopt;
  } else {
    frame.delay = kGifNoDelay;
  }

  const GifFrameRect rect = RenderingBlockRect();
  frame.left = rect.left;
  frame.top = rect.top;
  frame.width = rect.width;
  frame.height = rect.height;
  if (!SkipBlock()) return std::nullopt;

  // Header (with global table), the frame's blocks, a trailer byte.
  const std::uint32_t header = HeaderLength();
  const std::uint32_t blocks = cursor_ - start;
  const std::uint64_t total = std::uint64_t{header} + blocks + 1;
  if (header > start || total > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;

  std::uint8_t* block = allocator.Allocate(static_cast<std::size_t>(total));
  if (block == nullptr) return std::nullopt;
  frame.buffer = FrameBuffer(allocator, block, static_cast<std::uint32_t>(total));
  std::memcpy(block, data_, header);
  std::memcpy(block + header, data_ + start, blocks);
  block[header + blocks] = kTrailer;
  return frame;
}
