#include "banner/core/gif_layout_check.h"

#include "banner/core/gif_walker.h"

namespace {

constexpr std::uint8_t kGraphicControlSize = 4;
constexpr std::uint32_t kGraphicControlTerminator = 7;  // offset in the block
constexpr std::uint8_t kApplicationSize = 11;
constexpr std::uint8_t kPlainTextSize = 12;
constexpr std::uint32_t kSizeByte = 2;  // behind the introducer and the label
constexpr std::uint32_t kImageWidth = 5;   // offsets in an image descriptor
constexpr std::uint32_t kImageHeight = 7;

std::uint32_t LittleU16(const std::uint8_t* at) { return at[0] | (std::uint32_t{at[1]} << 8); }

// The block at offset, whose whole fixed part lies inside the data, states
// the sizes the walker measured it by.
bool FixedPartAsWalked(GifBlockKind kind, const std::uint8_t* block) {
  switch (kind) {
    case GifBlockKind::GraphicControlExtension:
      return block[kSizeByte] == kGraphicControlSize && block[kGraphicControlTerminator] == 0;
    case GifBlockKind::ApplicationExtension:
      return block[kSizeByte] == kApplicationSize;
    case GifBlockKind::PlainTextExtension:
      return block[kSizeByte] == kPlainTextSize;
    case GifBlockKind::ImageDescriptor:
      // An image without pixels has no data a decoder would read: one that
      // reads none goes on inside the data the walker skips.
      return LittleU16(block + kImageWidth) != 0 && LittleU16(block + kImageHeight) != 0;
    case GifBlockKind::CommentExtension:
      return true;  // its size is read from the data, by the walker too
    case GifBlockKind::Unrecognized:
    case GifBlockKind::Trailer:
      break;
  }
  return false;
}

}  // namespace

bool GifBlocksReadAsWalked(const std::uint8_t* data, std::uint32_t length) {
  GifWalker walker(data, length);
  if (!walker.IsGifHeader()) return false;
  walker.Rewind();
  for (;;) {
    const GifBlockKind kind = walker.ClassifyBlock();
    if (kind == GifBlockKind::Trailer) return true;
    if (kind == GifBlockKind::Unrecognized) return false;
    // BlockLength > 0 means the whole block, fixed part first, lies inside.
    if (walker.BlockLength() <= 0) return false;
    if (!FixedPartAsWalked(kind, data + walker.Cursor())) return false;
    if (!walker.SkipBlock()) return false;
  }
}
