#include "banner/core/gif_walker.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

#include "banner/core/gif_test_builder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Hands out malloc blocks, records every size, checks every free, and can be
// told to fail from a given allocation on.
class TrackingAllocator : public FrameAllocator {
 public:
  std::vector<std::size_t> sizes;
  std::map<std::uint8_t*, std::size_t> live;
  std::size_t failFrom = SIZE_MAX;

  std::uint8_t* Allocate(std::size_t size) override {
    if (sizes.size() >= failFrom) return nullptr;
    sizes.push_back(size);
    std::uint8_t* block = inner_.Allocate(size);
    live[block] = size;
    return block;
  }
  void Free(std::uint8_t* block) override {
    EXPECT_EQ(live.erase(block), 1u) << "freed a block twice or one never handed out";
    inner_.Free(block);
  }
  ~TrackingAllocator() override { EXPECT_TRUE(live.empty()) << live.size() << " blocks leaked"; }

 private:
  MallocFrameAllocator inner_;
};

GifWalker WalkerOn(const Bytes& bytes) {
  return GifWalker(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

std::vector<ExtractedGifFrame> ExtractAll(GifWalker& walker, FrameAllocator& allocator) {
  std::vector<ExtractedGifFrame> frames;
  walker.Rewind();
  while (auto frame = walker.ExtractFrame(allocator)) frames.push_back(std::move(*frame));
  return frames;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes Slice(const Bytes& bytes, std::size_t begin, std::size_t end) {
  return Bytes(bytes.begin() + begin, bytes.begin() + end);
}

// The frame must be exactly: source header, the source bytes from the first
// to the last of its blocks, 0x3B.
void ExpectFrameLayout(const GifBuilder& gif, const ExtractedGifFrame& frame,
                       std::size_t firstBlock, std::size_t lastBlock) {
  const Bytes& src = gif.bytes();
  const std::size_t header = gif.block(0).begin;
  const Bytes expected =
      Concat({Slice(src, 0, header),
              Slice(src, gif.block(firstBlock).begin, gif.block(lastBlock).end), Bytes{0x3B}});
  ASSERT_EQ(frame.buffer.size(), expected.size());
  EXPECT_EQ(Bytes(frame.buffer.data(), frame.buffer.data() + frame.buffer.size()), expected);
}

// A typical animation: application extension, three GCE + image pairs, trailer.
GifBuilder ThreeFrameAnimation() {
  GifBuilder gif;
  gif.Header(64, 32, 0x81)
      .Application()
      .GraphicControl(10, 1)
      .Image(0, 0, 64, 32)
      .GraphicControl(4, 2)
      .Image(3, 5, 20, 10, 0, 300, 100)
      .GraphicControl(0x0102, 3)
      .Image(0x0110, 0x0220, 0x0330, 0x0440, 0x82)
      .Trailer();
  return gif;
}

TEST(GifHeader, SignatureAndVersion) {
  struct Case {
    const char* text;
    std::size_t length;  // texts hold zero bytes
    bool isGif;
  } cases[] = {
      {"GIF89a\x0A\x00\x08\x00\x00\x00\x00", 13, true},
      {"GIF87a\x0A\x00\x08\x00\x00\x00\x00", 13, true},
      {"GIF88a\x0A\x00\x08\x00\x00\x00\x00", 13, false},
      {"GIF89b\x0A\x00\x08\x00\x00\x00\x00", 13, false},
      {"gif89a\x0A\x00\x08\x00\x00\x00\x00", 13, false},
      {"GIF89a\x0A\x00\x08\x00\x00\x00", 12, false},
      {"GIF", 3, false},
      {"\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR", 16, false},
  };
  for (const Case& c : cases) {
    const auto* text = reinterpret_cast<const std::uint8_t*>(c.text);
    const Bytes bytes(text, text + c.length);
    GifWalker walker = WalkerOn(bytes);
    EXPECT_EQ(walker.IsGifHeader(), c.isGif) << c.text;
    if (!c.isGif) {
      EXPECT_EQ(walker.CountFrames(), 0u);
      MallocFrameAllocator allocator;
      EXPECT_FALSE(walker.ExtractFrame(allocator));
    }
  }
  EXPECT_FALSE(GifWalker(nullptr, 100).IsGifHeader());
  EXPECT_FALSE(GifWalker(nullptr, 0).IsGifHeader());
}

TEST(GifHeader, GlobalColorTableSizesPutFirstBlockBehindTable) {
  struct Case {
    std::uint8_t packed;
    std::uint32_t tableLength;
  } cases[] = {{0x00, 0},   {0x07, 0},   {0x7F, 0},  {0x80, 6},   {0x81, 12},
               {0x82, 24},  {0x83, 48},  {0x84, 96}, {0x85, 192}, {0x86, 384},
               {0x87, 768}, {0xF7, 768}, {0xF0, 6},  {0x8B, 48}};
  for (const Case& c : cases) {
    GifBuilder gif;
    gif.Header(0x1234, 0xFEDC, c.packed).GraphicControl(5, 0).Image(0, 0, 8, 8).Trailer();
    GifWalker walker = WalkerOn(gif.bytes());
    ASSERT_TRUE(walker.IsGifHeader());
    EXPECT_EQ(walker.ScreenWidth(), 0x1234u);  // little-endian
    EXPECT_EQ(walker.ScreenHeight(), 0xFEDCu);
    EXPECT_EQ(walker.GlobalColorTableLength(), c.tableLength) << int(c.packed);
    walker.Rewind();
    EXPECT_EQ(walker.Cursor(), 13 + c.tableLength);
    EXPECT_EQ(walker.ClassifyBlock(), GifBlockKind::GraphicControlExtension);
    EXPECT_EQ(walker.CountFrames(), 1u);
    TrackingAllocator allocator;
    auto frames = ExtractAll(walker, allocator);
    ASSERT_EQ(frames.size(), 1u);
    ExpectFrameLayout(gif, frames[0], 0, 1);
  }
}

TEST(GifHeader, TableAnnouncedButMissingWalksNothing) {
  GifBuilder gif;
  gif.Header(8, 8, 0).Raw({0x2C, 0, 0});
  Bytes bytes = gif.bytes();
  bytes[10] = 0x87;  // promises 768 bytes that are not there
  GifWalker walker = WalkerOn(bytes);
  ASSERT_TRUE(walker.IsGifHeader());
  EXPECT_EQ(walker.CountFrames(), 0u);
  EXPECT_EQ(walker.ClassifyBlock(), GifBlockKind::Unrecognized);
  EXPECT_EQ(walker.BlockLength(), -1);
  MallocFrameAllocator allocator;
  EXPECT_FALSE(walker.ExtractFrame(allocator));
}

TEST(GifBlocks, EveryKindIsClassifiedAndMeasured) {
  GifBuilder gif;
  gif.Header(16, 16, 0x80)
      .Application({1, 2, 3, 4})          // 14 + (1+4) + 1
      .Comment("abc")                     // 2 + (1+3) + 1
      .Comment("", 255)                   // 2 + 1: empty chain
      .GraphicControl(7, 2)               // 8
      .PlainText("hello")                 // 15 + (1+5) + 1
      .Image(0, 0, 4, 4, 0, 5)            // 11 + (1+5) + 1
      .Image(0, 0, 4, 4, 0x80, 5)         // 11 + 6 + 7
      .Image(0, 0, 4, 4, 0x87, 300, 255)  // 11 + 768 + (256 + 46) + 1
      .Trailer();
  const struct {
    GifBlockKind kind;
    std::int64_t length;
  } expected[] = {
      {GifBlockKind::ApplicationExtension, 20},
      {GifBlockKind::CommentExtension, 7},
      {GifBlockKind::CommentExtension, 3},
      {GifBlockKind::GraphicControlExtension, 8},
      {GifBlockKind::PlainTextExtension, 22},
      {GifBlockKind::ImageDescriptor, 18},
      {GifBlockKind::ImageDescriptor, 24},
      {GifBlockKind::ImageDescriptor, 11 + 768 + 303},
      {GifBlockKind::Trailer, 1},
  };
  GifWalker walker = WalkerOn(gif.bytes());
  walker.Rewind();
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    ASSERT_EQ(walker.Cursor(), gif.block(i).begin) << i;
    EXPECT_EQ(walker.ClassifyBlock(), expected[i].kind) << i;
    EXPECT_EQ(walker.BlockLength(), expected[i].length) << i;
    EXPECT_EQ(static_cast<std::size_t>(expected[i].length), gif.block(i).size()) << i;
    ASSERT_TRUE(walker.SkipBlock()) << i;
  }
  // The trailer ends exactly at the end: the cursor may stand there.
  EXPECT_EQ(walker.Cursor(), gif.size());
  EXPECT_EQ(walker.ClassifyBlock(), GifBlockKind::Unrecognized);
  EXPECT_EQ(walker.BlockLength(), -1);
  EXPECT_FALSE(walker.SkipBlock());
  EXPECT_EQ(walker.Cursor(), gif.size());
}

TEST(GifBlocks, UnrecognizedBytes) {
  const Bytes tails[] = {
      {0x21, 0x00, 0x00},  // extension label not in the table
      {0x21, 0xF8, 0x00},
      {0x21},  // introducer as the last byte: no label to read
      {0x00},
      {0x3A},
      {0xFF, 0x3B},
  };
  for (const Bytes& tail : tails) {
    GifBuilder gif;
    gif.Header(4, 4, 0);
    const Bytes bytes = Concat({gif.bytes(), tail});
    GifWalker walker = WalkerOn(bytes);
    walker.Rewind();
    EXPECT_EQ(walker.ClassifyBlock(), GifBlockKind::Unrecognized) << int(tail[0]);
    EXPECT_EQ(walker.BlockLength(), -1);
    EXPECT_FALSE(walker.SkipBlock());
    EXPECT_EQ(walker.Cursor(), 13u);
    EXPECT_FALSE(walker.SkipFrame());
  }
}

TEST(GifBlocks, SubBlockChainLength) {
  struct Case {
    Bytes chain;
    std::uint32_t length;
  } cases[] = {
      {{0x00}, 1},
      {{0x03, 'a', 'b', 'c', 0x00}, 5},
      {{0x01, 'a', 0x02, 'b', 'c', 0x00, 0x99}, 6},  // stops at the terminator
      {{0x03, 'a', 'b', 'c'}, 0},                    // no terminator
      {{0x05, 'a', 'b'}, 0},                         // size runs past the end
      {{0xFF}, 0},
      {{}, 0},
  };
  for (const Case& c : cases) {
    const Bytes bytes = Concat({Bytes{'x', 'y'}, c.chain});
    GifWalker walker = WalkerOn(bytes);
    EXPECT_EQ(walker.SubBlockChainLength(2), c.length);
  }
  const Bytes one{0x00};
  EXPECT_EQ(WalkerOn(one).SubBlockChainLength(1), 0u);
  EXPECT_EQ(WalkerOn(one).SubBlockChainLength(0xFFFFFFFFu), 0u);
}

// Every block kind cut at every point: the block never measures past the
// data, the skip fails and the cursor stays (ASan watches the reads).
TEST(GifBlocks, TruncatedBlocksAreNotSkipped) {
  GifBuilder gif;
  gif.Header(16, 16, 0)
      .Application()
      .Comment("comment text")
      .GraphicControl(9, 1)
      .PlainText()
      .Image(1, 2, 3, 4, 0x81, 40, 16);
  for (std::size_t i = 0; i < gif.blocks().size(); ++i) {
    const GifBuilder::Span span = gif.block(i);
    for (std::size_t end = span.begin; end < span.end; ++end) {
      // A heap copy of exactly the cut length, so an overread is caught.
      const Bytes cut = Slice(gif.bytes(), 0, end);
      GifWalker walker = WalkerOn(cut);
      while (walker.Cursor() < span.begin) ASSERT_TRUE(walker.SkipBlock());
      ASSERT_EQ(walker.Cursor(), span.begin);
      const std::int64_t length = walker.BlockLength();
      EXPECT_LE(length, 0) << "block " << i << " cut at " << end;
      EXPECT_FALSE(walker.SkipBlock());
      EXPECT_EQ(walker.Cursor(), span.begin);
    }
  }
}

TEST(GifFrames, TypicalAnimationSplitsIntoStandaloneFrames) {
  const GifBuilder gif = ThreeFrameAnimation();
  GifWalker walker = WalkerOn(gif.bytes());
  EXPECT_EQ(walker.CountFrames(), 3u);

  TrackingAllocator allocator;
  auto frames = ExtractAll(walker, allocator);
  ASSERT_EQ(frames.size(), 3u);
  // Block 0 is the application extension: in no frame.
  ExpectFrameLayout(gif, frames[0], 1, 2);
  ExpectFrameLayout(gif, frames[1], 3, 4);
  ExpectFrameLayout(gif, frames[2], 5, 6);
  const std::size_t header = 13 + 12;
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(frames[i].buffer.size(), header + 8 + gif.block(2 + 2 * i).size() + 1);
    EXPECT_EQ(allocator.sizes[i], frames[i].buffer.size());
  }

  struct Fields {
    std::uint32_t delay, disposal, left, top, width, height;
  } expected[] = {
      {10, 1, 0, 0, 64, 32}, {4, 2, 3, 5, 20, 10}, {0x0102, 3, 0x0110, 0x0220, 0x0330, 0x0440}};
  for (std::size_t i = 0; i < 3; ++i) {
    const ExtractedGifFrame& f = frames[i];
    EXPECT_EQ(f.delay, expected[i].delay) << i;
    EXPECT_EQ(f.disposal, expected[i].disposal) << i;
    EXPECT_EQ(f.left, expected[i].left) << i;
    EXPECT_EQ(f.top, expected[i].top) << i;
    EXPECT_EQ(f.width, expected[i].width) << i;
    EXPECT_EQ(f.height, expected[i].height) << i;
  }
  // Nothing after the last frame, and the cursor stays on the trailer.
  EXPECT_FALSE(walker.ExtractFrame(allocator));
  EXPECT_EQ(walker.ClassifyBlock(), GifBlockKind::Trailer);
}

TEST(GifFrames, ExtractedFrameIsAOneFrameGifOfTheSameFrame) {
  const GifBuilder gif = ThreeFrameAnimation();
  GifWalker walker = WalkerOn(gif.bytes());
  TrackingAllocator allocator;
  for (const ExtractedGifFrame& frame : ExtractAll(walker, allocator)) {
    GifWalker again(frame.buffer.data(), frame.buffer.size());
    ASSERT_TRUE(again.IsGifHeader());
    EXPECT_EQ(again.ScreenWidth(), 64u);  // the whole file's screen, unaltered
    EXPECT_EQ(again.ScreenHeight(), 32u);
    EXPECT_EQ(again.CountFrames(), 1u);
    auto copies = ExtractAll(again, allocator);
    ASSERT_EQ(copies.size(), 1u);
    const ExtractedGifFrame& copy = copies[0];
    EXPECT_EQ(Bytes(copy.buffer.data(), copy.buffer.data() + copy.buffer.size()),
              Bytes(frame.buffer.data(), frame.buffer.data() + frame.buffer.size()));
    EXPECT_EQ(copy.delay, frame.delay);
    EXPECT_EQ(copy.disposal, frame.disposal);
    EXPECT_EQ(copy.left, frame.left);
    EXPECT_EQ(copy.top, frame.top);
    EXPECT_EQ(copy.width, frame.width);
    EXPECT_EQ(copy.height, frame.height);
  }
}

TEST(GifFrames, ExtensionsInsideAndAroundFrames) {
  // Comments and application extensions before a frame's GCE belong to no
  // frame; those between the GCE and the image belong to it.
  GifBuilder gif;
  gif.Header(10, 10, 0x80)
      .Comment("before everything")  // 0
      .GraphicControl(20, 2)         // 1  frame 0 ...
      .Comment("inside")             // 2
      .Application()                 // 3
      .Image(1, 1, 5, 5)             // 4  ... frame 0
      .Comment("between")            // 5
      .Application()                 // 6
      .GraphicControl(30, 1)         // 7  frame 1 ...
      .GraphicControl(99, 3)         // 8  second GCE: first one counts
      .Image(2, 2, 6, 6)             // 9  ... frame 1
      .Comment("after")              // 10
      .Trailer();
  GifWalker walker = WalkerOn(gif.bytes());
  EXPECT_EQ(walker.CountFrames(), 2u);
  TrackingAllocator allocator;
  auto frames = ExtractAll(walker, allocator);
  ASSERT_EQ(frames.size(), 2u);
  ExpectFrameLayout(gif, frames[0], 1, 4);
  EXPECT_EQ(frames[0].buffer.size(),
            13 + 6 + 8 + gif.block(2).size() + gif.block(3).size() + gif.block(4).size() + 1);
  EXPECT_EQ(frames[0].delay, 20u);
  EXPECT_EQ(frames[0].disposal, 2u);
  ExpectFrameLayout(gif, frames[1], 7, 9);
  EXPECT_EQ(frames[1].delay, 30u);
  EXPECT_EQ(frames[1].disposal, 1u);
  EXPECT_EQ(frames[1].left, 2u);
}

TEST(GifFrames, FramesWithoutGraphicControlAndPlainText) {
  GifBuilder gif;
  gif.Header(10, 10, 0)
      .Image(4, 3, 2, 1)      // 0: no GCE
      .PlainText("text")      // 1: a frame of its own, no GCE
      .GraphicControl(12, 4)  // 2
      .PlainText("more")      // 3
      .Trailer();
  GifWalker walker = WalkerOn(gif.bytes());
  EXPECT_EQ(walker.CountFrames(), 3u);
  TrackingAllocator allocator;
  auto frames = ExtractAll(walker, allocator);
  ASSERT_EQ(frames.size(), 3u);
  ExpectFrameLayout(gif, frames[0], 0, 0);
  EXPECT_EQ(frames[0].delay, kGifNoDelay);
  EXPECT_EQ(frames[0].disposal, 0u);
  EXPECT_EQ(frames[0].left, 4u);
  EXPECT_EQ(frames[0].height, 1u);
  ExpectFrameLayout(gif, frames[1], 1, 1);
  EXPECT_EQ(frames[1].delay, kGifNoDelay);
  EXPECT_EQ(frames[1].width, 0u);  // a plain text frame has no image fields
  ExpectFrameLayout(gif, frames[2], 2, 3);
  EXPECT_EQ(frames[2].delay, 12u);
  EXPECT_EQ(frames[2].disposal, 4u);
  EXPECT_EQ(frames[2].left, 0u);
}

TEST(GifFrames, DisposalIsBitsTwoToFourOfThePackedByte) {
  const struct {
    std::uint8_t disposal, otherBits;
  } cases[] = {{0, 0xE3}, {1, 0}, {2, 0x01}, {3, 0xE0}, {7, 0x03}, {5, 0xE3}};
  for (const auto& c : cases) {
    GifBuilder gif;
    gif.Header(4, 4, 0).GraphicControl(0xABCD, c.disposal, c.otherBits).Image(0, 0, 4, 4).Trailer();
    GifWalker walker = WalkerOn(gif.bytes());
    MallocFrameAllocator allocator;
    auto frame = walker.ExtractFrame(allocator);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->disposal, c.disposal);
    EXPECT_EQ(frame->delay, 0xABCDu);
  }
}

// Where the walk ends behind two good frames, and that those two stand.
TEST(GifFrames, WalkEndsAtDamage) {
  const struct {
    const char* name;
    void (*tail)(GifBuilder&);
    std::uint32_t frames;
  } cases[] = {
      {"missing trailer", [](GifBuilder&) {}, 2},
      {"cut-off last image", [](GifBuilder& g) { g.Cut(1); }, 1},
      {"0x21 0x00",
       [](GifBuilder& g) {
         g.Raw({0x21, 0x00, 0x01, 0x00}).GraphicControl(1, 0).Image(0, 0, 1, 1);
       },
       2},
      {"0x21 0x00 inside a frame",
       [](GifBuilder& g) {
         g.GraphicControl(5, 0).Raw({0x21, 0x00}).Image(0, 0, 1, 1).Trailer();
       },
       2},
      {"GCE then trailer", [](GifBuilder& g) { g.GraphicControl(5, 0).Trailer(); }, 2},
      {"frames after the trailer",
       [](GifBuilder& g) { g.Trailer().GraphicControl(1, 0).Image(0, 0, 1, 1); }, 2},
      {"stray byte", [](GifBuilder& g) { g.Raw({0x00}).GraphicControl(1, 0).Image(0, 0, 1, 1); },
       2},
      {"comment chain past the end",
       [](GifBuilder& g) {
         g.Raw({0x21, 0xFE, 0x10, 'a', 'b'});
       },
       2},
      {"image chain past the end",
       [](GifBuilder& g) {
         g.Raw({0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 0xFE, 1, 2});
       },
       2},
  };
  for (const auto& c : cases) {
    GifBuilder gif;
    gif.Header(8, 8, 0x80)
        .GraphicControl(5, 0)
        .Image(0, 0, 8, 8)
        .GraphicControl(6, 0)
        .Image(0, 0, 8, 8, 0, 20);
    c.tail(gif);
    GifWalker walker = WalkerOn(gif.bytes());
    EXPECT_EQ(walker.CountFrames(), c.frames) << c.name;
    TrackingAllocator allocator;
    EXPECT_EQ(ExtractAll(walker, allocator).size(), c.frames) << c.name;
  }
  GifBuilder none;
  none.Header(8, 8, 0).Application().Comment("x").Trailer();
  EXPECT_EQ(WalkerOn(none.bytes()).CountFrames(), 0u);
}

// Every prefix of an animation: frames that lie wholly inside are found,
// nothing is read beyond the cut.
TEST(GifFrames, EveryPrefixYieldsItsCompleteFrames) {
  const GifBuilder gif = ThreeFrameAnimation();
  const std::size_t renderingEnds[] = {gif.block(2).end, gif.block(4).end, gif.block(6).end};
  for (std::size_t length = 0; length <= gif.bytes().size(); ++length) {
    const Bytes cut = Slice(gif.bytes(), 0, length);
    std::uint32_t expected = 0;
    for (std::size_t end : renderingEnds) expected += end <= length ? 1 : 0;
    GifWalker walker = WalkerOn(cut);
    EXPECT_EQ(walker.CountFrames(), expected) << length;
    TrackingAllocator allocator;
    EXPECT_EQ(ExtractAll(walker, allocator).size(), expected) << length;
  }
}

TEST(GifFrames, AllocationFailureEndsTheSplit) {
  const GifBuilder gif = ThreeFrameAnimation();
  GifWalker walker = WalkerOn(gif.bytes());
  TrackingAllocator allocator;
  allocator.failFrom = 1;
  EXPECT_EQ(ExtractAll(walker, allocator).size(), 1u);
}

TEST(FrameBuffer, ReleaseHandsOwnershipOn) {
  const GifBuilder gif = ThreeFrameAnimation();
  GifWalker walker = WalkerOn(gif.bytes());
  TrackingAllocator allocator;
  auto frame = walker.ExtractFrame(allocator);
  ASSERT_TRUE(frame);
  const std::uint32_t size = frame->buffer.size();
  std::uint8_t* block = frame->buffer.Release();
  EXPECT_EQ(frame->buffer.data(), nullptr);
  EXPECT_EQ(allocator.live.count(block), 1u);  // not freed by the release
  EXPECT_EQ(block[size - 1], 0x3B);
  FrameBuffer moved(allocator, block, size);
  FrameBuffer target = std::move(moved);
  EXPECT_EQ(moved.data(), nullptr);
  EXPECT_EQ(target.data(), block);
  target = FrameBuffer();  // frees
  EXPECT_TRUE(allocator.live.empty());
}

}  // namespace
