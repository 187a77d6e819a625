#pragma once
#include <cstdint>
#include <optional>

#include "banner/core/frame_buffer.h"

enum class GifBlockKind : int {
  Unrecognized = 0,
  ApplicationExtension = 1,
  CommentExtension = 2,
  GraphicControlExtension = 3,
  PlainTextExtension = 4,
  ImageDescriptor = 5,
  Trailer = 6,
};

// The delay of a frame that has no graphic control extension.
constexpr std::uint32_t kGifNoDelay = 0xFFFFFFFFu;

// Where a frame lies on the logical screen, from its image descriptor; all
// zero for a plain text frame, which has none.
struct GifFrameRect {
  std::uint32_t left = 0;
  std::uint32_t top = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// One frame cut out as a standalone single-frame GIF: the source's header,
// screen descriptor and global colour table, the frame's blocks, a trailer.
struct ExtractedGifFrame {
  FrameBuffer buffer;
  std::uint32_t delay = kGifNoDelay;  // hundredths of a second
  std::uint32_t disposal = 0;         // 0..7
  // From the image descriptor; 0 for a plain text frame, which has none.
  std::uint32_t left = 0;
  std::uint32_t top = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// Walks the block structure of a GIF held in memory, counts its frames and
// splits them into standalone GIFs. Never reads outside [data, data + length);
// the data must stay valid and unchanged while the walker is used.
class GifWalker {
 public:
  GifWalker(const std::uint8_t* data, std::uint32_t length);

  // Signature "GIF87a"/"GIF89a" and at least 13 bytes. The header values
  // below are meaningful only when this is true; nothing else is walked.
  bool IsGifHeader() const { return isGif_; }
  std::uint32_t ScreenWidth() const { return screenWidth_; }
  std::uint32_t ScreenHeight() const { return screenHeight_; }
  std::uint32_t GlobalColorTableLength() const { return globalTableLength_; }
  // 13 + global colour table length: where the first block starts.
  std::uint32_t HeaderLength() const { return 13 + globalTableLength_; }

  void Rewind() { cursor_ = HeaderLength(); }
  std::uint32_t Cursor() const { return cursor_; }

  GifBlockKind ClassifyBlock() const;
  // Length of the sub-block chain starting at offset, terminator included;
  // 0 when the chain does not end within the data.
  std::uint32_t SubBlockChainLength(std::uint32_t offset) const;
  // Length of the block at the cursor: -1 when unrecognised, 0 when it does
  // not lie wholly within the data.
  std::int64_t BlockLength() const;
  bool SkipBlock();
  // Passes over one whole frame; rect, when given, receives its place.
  bool SkipFrame(GifFrameRect* rect = nullptr);
  // Rewinds, then counts the frames reached whole before the walk ends.
  std::uint32_t CountFrames();
  // Cuts the next frame and leaves the cursor behind it. Nothing at the end
  // of the walk or when the allocator fails. The buffer's ownership passes to
  // the caller.
  std::optional<ExtractedGifFrame> ExtractFrame(FrameAllocator& allocator);

 private:
  bool Has(std::uint64_t offset, std::uint64_t count) const {
    return offset <= length_ && count <= length_ - offset;
  }
  std::uint32_t ReadU16(std::uint32_t offset) const;
  bool SkipLeadingExtensions();
  bool SkipToRenderingBlock();
  GifFrameRect RenderingBlockRect() const;

  const std::uint8_t* data_;
  std::uint32_t length_;
  std::uint32_t cursor_ = 0;
  bool isGif_ = false;
  std::uint32_t screenWidth_ = 0;
  std::uint32_t screenHeight_ = 0;
  std::uint32_t globalTableLength_ = 0;
};
