// Files whose headers say one thing to the plan and another to a decoder,
// and files cut short: each is built byte by byte and must be refused
// before anything is decoded. Honest, whole files of the same shapes pass.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "banner/core/banner_plan.h"
#include "banner/core/decoded_pixel_tally.h"
#include "banner/core/gif_layout_check.h"
#include "banner/core/gif_test_builder.h"
#include "banner/core/still_test_builder.h"

namespace {

using still_test::Append;
using Bytes = std::vector<std::uint8_t>;

BannerPlan Plan(const Bytes& bytes) { return PlanBanner(bytes.data(), static_cast<std::uint32_t>(bytes.size())); }

// Header of an 8 x 8 screen, then raw, then one honest frame and the trailer.
Bytes GifAround(std::initializer_list<std::uint8_t> raw) {
  GifBuilder gif;
  gif.Header(8, 8).Raw(raw).GraphicControl(10, 0).Image(0, 0, 8, 8).Trailer();
  return gif.bytes();
}

TEST(LyingGif, ExtensionSizesOtherThanTheWalkersAreRefused) {
  struct Case {
    const char* what;
    Bytes bytes;
  };
  const Case cases[] = {
      {"graphic control of size 3", GifAround({0x21, 0xF9, 3, 0, 10, 0, 0, 0})},
      {"graphic control of size 5", GifAround({0x21, 0xF9, 5, 0, 10, 0, 0, 0})},
      {"graphic control without its terminator", GifAround({0x21, 0xF9, 4, 0, 10, 0, 0, 1})},
      {"application of size 10", GifAround({0x21, 0xFF, 10, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 0})},
      {"application of size 12", GifAround({0x21, 0xFF, 12, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 0})},
      {"plain text of size 11", GifAround({0x21, 0x01, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
      {"plain text of size 13", GifAround({0x21, 0x01, 13, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
      {"an extension the walker does not know", GifAround({0x21, 0x00, 0})},
      {"a stray byte between blocks", GifAround({0x00})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(GifBlocksReadAsWalked(c.bytes.data(), static_cast<std::uint32_t>(c.bytes.size())));
    EXPECT_FALSE(Plan(c.bytes).accepted);
  }

  GifBuilder honest;
  honest.Header(8, 8).Application().Comment("c").PlainText().GraphicControl(10, 0).Image(0, 0, 8, 8).Trailer();
  EXPECT_TRUE(GifBlocksReadAsWalked(honest.bytes().data(), honest.size()));
  EXPECT_TRUE(Plan(honest.bytes()).accepted);
}

TEST(LyingGif, ALargeImageHiddenBehindAShortGraphicControlIsRefused) {
  // To a decoder the graphic control ends after 3 data bytes and the image
  // separator at its 8th byte opens a 4096 x 4096 image whose descriptor
  // lies in what the walker reads as a comment; the walker sees 8 x 8.
  GifBuilder gif;
  gif.Header(8, 8).Raw({0x21, 0xF9, 3, 0, 10, 0, 0, 0x2C});
  gif.Raw({0x21, 0xFE, 9, 0, 0x00, 0x10, 0x00, 0x10, 0, 2, 1, 0, 0});
  gif.Image(0, 0, 8, 8).Trailer();
  GifWalker walker(gif.bytes().data(), gif.size());
  GifFrameRect rect;
  walker.Rewind();
  ASSERT_TRUE(walker.SkipFrame(&rect)) << "the walker takes it for one small frame";
  EXPECT_EQ(rect.width, 8u);
  const std::uint8_t* hidden = gif.bytes().data() + walker.HeaderLength() + 7;
  EXPECT_EQ(hidden[0], 0x2C);
  EXPECT_EQ(hidden[5] | (hidden[6] << 8), 4096) << "what a decoder reads as the image's width";
  EXPECT_FALSE(Plan(gif.bytes()).accepted);
}

TEST(LyingGif, ImagesAndScreensWithoutPixelsAreRefused) {
  // A decoder that reads no data for a 0 x 2 image goes on reading inside
  // the data the walker skips, where any image may hide.
  for (const auto& [width, height] : {std::pair{0, 2}, std::pair{2, 0}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    GifBuilder gif;
    gif.Header(8, 8).Image(0, 0, static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height)).Trailer();
    EXPECT_FALSE(GifBlocksReadAsWalked(gif.bytes().data(), gif.size()));
    EXPECT_FALSE(Plan(gif.bytes()).accepted);
  }
  for (const auto& [width, height] : {std::pair{0, 8}, std::pair{8, 0}}) {
    GifBuilder gif;
    gif.Header(static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height)).Image(0, 0, 1, 1).Trailer();
    EXPECT_FALSE(Plan(gif.bytes()).accepted) << "screen " << width << " x " << height;
  }
  GifBuilder honest;
  honest.Header(8, 8).Image(0, 0, 1, 1).Trailer();
  EXPECT_TRUE(Plan(honest.bytes()).accepted);
}

TEST(LyingGif, AGifCutAnywhereIsRefused) {
  GifBuilder gif;
  gif.Header(24, 8).Application().GraphicControl(10, 0).Image(0, 0, 8, 8).GraphicControl(10, 0);
  gif.Image(8, 0, 8, 8).Trailer();
  const Bytes& whole = gif.bytes();
  ASSERT_TRUE(Plan(whole).accepted);
  for (std::size_t cut = 0; cut < whole.size(); ++cut) {
    const Bytes prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_FALSE(Plan(prefix).accepted) << "cut to " << cut << " of " << whole.size() << " bytes";
  }
  EXPECT_EQ(Plan(whole).frames, 2u);
}

Bytes JpegStart() { return Bytes{0xFF, 0xD8}; }

TEST(LyingJpeg, MarkersAreFollowedAsADecoderFollowsThem) {
  const Bytes honest = still_test::Jpeg(237, 31);
  const BannerPlan plan = Plan(honest);
  ASSERT_TRUE(plan.accepted) << "fill, stuffing and a restart marker are followed";
  EXPECT_EQ(plan.width, 237u);
  EXPECT_EQ(plan.height, 31u);

  // Restart markers and TEM carry no length, wherever they stand.
  Bytes loose = JpegStart();
  Append(loose, {0xFF, 0xD3, 0xFF, 0x01});
  Append(loose, still_test::JpegFrameHeader(16, 16));
  Append(loose, still_test::JpegScan());
  Append(loose, {0xFF, 0xD9});
  EXPECT_TRUE(Plan(loose).accepted);
}

// The parts one after the other.
Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) Append(out, part);
  return out;
}

TEST(LyingJpeg, WhatADecoderWouldReadOtherwiseIsRefused) {
  using still_test::JpegFrameHeader;
  using still_test::JpegScan;
  const Bytes start = JpegStart();
  const Bytes end{0xFF, 0xD9};
  const Bytes small = JpegFrameHeader(8, 8);
  const Bytes large = JpegFrameHeader(8000, 8000);
  const std::pair<const char*, Bytes> cases[] = {
      // To the old reader FF 00 was a marker with a length that jumped to the
      // small frame header inside the APP1 segment; to a decoder it is a
      // stuffed byte, and the first frame header it meets is 8000 x 8000.
      {"FF 00 between segments",
       Join({start, {0xFF, 0x00, 0x00, 0x13}, large, {0xFF, 0xE1, 0x00, 0x0F}, small, JpegScan(), end})},
      {"two frame headers", Join({start, small, large, JpegScan(), end})},
      // Unstuffed, a frame header in the scan data is a marker to a decoder.
      {"a frame header inside the scan data", Join({start, small, JpegScan(), large, end})},
      {"stray bytes between segments", Join({start, {0x12, 0x34}, small, JpegScan(), end})},
      {"a scan before the frame header", Join({start, JpegScan(), small, end})},
      {"no scan", Join({start, small, end})},
      {"a second start of image", Join({start, still_test::Jpeg(8, 8)})},
      {"a segment length below 2", Join({start, {0xFF, 0xE0, 0x00, 0x01}, still_test::Jpeg(8, 8)})},
  };
  for (const auto& c : cases) EXPECT_FALSE(Plan(c.second).accepted) << c.first;
}

// Every prefix of a whole file is refused, the whole file is not.
void ExpectEveryCutRefused(const char* what, const Bytes& whole) {
  ASSERT_TRUE(Plan(whole).accepted) << what;
  for (std::size_t cut = 0; cut < whole.size(); ++cut) {
    const Bytes prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_FALSE(Plan(prefix).accepted) << what << " cut to " << cut << " of " << whole.size() << " bytes";
  }
}

TEST(CutStill, OnlyWholeFilesAreAccepted) {
  ExpectEveryCutRefused("JPEG", still_test::Jpeg(16, 8));
  ExpectEveryCutRefused("PNG", still_test::Png(16, 8));
  ExpectEveryCutRefused("BMP", still_test::Bmp(16, 8));
  ExpectEveryCutRefused("run-length BMP", still_test::BmpRle(16, 8, 10));
  ExpectEveryCutRefused("core-header BMP", [] {
    Bytes out{'B', 'M'};
    still_test::LittleU32(out, 26 + 2 * 8);
    still_test::LittleU32(out, 0);
    still_test::LittleU32(out, 26);
    Append(out, {12, 0, 0, 0, 2, 0, 2, 0, 1, 0, 24, 0});
    out.resize(26 + 2 * 8, 0);
    return out;
  }());
}

TEST(CutStill, LayoutsThatDoNotHoldTogetherAreRefused) {
  Bytes iendFirst{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  still_test::PngChunk(iendFirst, "IEND", Bytes());
  Bytes twoHeaders = still_test::Png(8, 8);
  twoHeaders.resize(8 + 25);  // signature and the first IHDR
  const Bytes again = still_test::Png(8000, 8000);
  twoHeaders.insert(twoHeaders.end(), again.begin() + 8, again.end());
  Bytes longChunk = still_test::Png(8, 8);
  longChunk[8 + 25 + 3] = 0xFF;  // the IDAT length runs past the end

  Bytes bmpFileSize = still_test::Bmp(8, 8);
  bmpFileSize[2] += 1;  // the header promises a byte more than there is
  Bytes bmpDepth = still_test::Bmp(8, 8);
  bmpDepth[28] = 0;  // no bits a pixel

  const std::pair<const char*, Bytes> cases[] = {
      {"PNG that ends before its header", iendFirst},
      {"PNG with a second header", twoHeaders},
      {"PNG chunk past the end", longChunk},
      {"BMP shorter than its stated file size", bmpFileSize},
      {"BMP of no depth", bmpDepth},
  };
  for (const auto& c : cases) EXPECT_FALSE(Plan(c.second).accepted) << c.first;
}

TEST(IconPlan, IconsAndCursorsArePlannedByTheirLargestImage) {
  const BannerPlan icon = Plan(still_test::Icon({16, 48, 32}));
  EXPECT_TRUE(icon.accepted);
  EXPECT_EQ(icon.format, PictureFormat::Icon);
  EXPECT_EQ(icon.width, 48u);
  EXPECT_EQ(icon.height, 48u);
  const BannerPlan cursor = Plan(still_test::Icon({32}, 2));
  EXPECT_TRUE(cursor.accepted);
  EXPECT_EQ(cursor.width, 32u);
  // A side of 256 is written as 0 in the directory.
  const Bytes large = still_test::Icon({256});
  ASSERT_EQ(large[6], 0);
  EXPECT_TRUE(Plan(large).accepted);
  EXPECT_EQ(Plan(large).width, 256u);
}

TEST(IconPlan, AnImageThatIsNotWhatItsEntrySaysIsRefused) {
  EXPECT_FALSE(Plan(still_test::Icon({16, 32}, 1, {16, 4000})).accepted) << "a bitmap larger than its entry";
  // A PNG image whose header says 10000 x 10000 behind an entry of 16.
  Bytes png = still_test::Icon({16});
  const Bytes inner = still_test::Png(10000, 10000);
  std::copy(inner.begin(), inner.begin() + 24, png.begin() + 22);
  EXPECT_FALSE(Plan(png).accepted);
  const Bytes matching = still_test::Png(16, 16);
  std::copy(matching.begin(), matching.begin() + 24, png.begin() + 22);
  EXPECT_TRUE(Plan(png).accepted) << "a PNG image of its entry's size";

  Bytes none{0, 0, 1, 0, 0, 0};
  EXPECT_FALSE(Plan(none).accepted) << "no images";
  Bytes before = still_test::Icon({16});
  before[6 + 12] = 4;  // the image would start inside the directory
  EXPECT_FALSE(Plan(before).accepted);
  ExpectEveryCutRefused("icon", still_test::Icon({16, 32}));
}

TEST(DecodedPixelTally, APictureLargerThanPlannedEndsTheLoad) {
  BannerPlan plan;
  plan.format = PictureFormat::Gif;
  plan.width = 237;
  plan.height = 31;
  DecodedPixelTally tally(plan);
  EXPECT_EQ(tally.total(), 2u * 237 * 31) << "surface and save area counted from the start";
  EXPECT_TRUE(tally.Add(237 * 31, 237 * 31));
  EXPECT_TRUE(tally.Add(8 * 8, 237 * 31)) << "smaller than planned is fine";
  EXPECT_FALSE(tally.Add(4096u * 4096, 237 * 31)) << "a frame that decoded larger than planned";
}

TEST(DecodedPixelTally, TheRunningTotalNeverPassesTheBudget) {
  BannerPlan plan;
  plan.format = PictureFormat::Png;
  plan.width = 1024;
  plan.height = 1024;
  DecodedPixelTally tally(plan);
  EXPECT_TRUE(tally.Add(1024 * 1024, 1024 * 1024));
  // Each picture within its plan, the sum past the budget.
  bool refused = false;
  for (int i = 0; i < 4 && !refused; ++i) refused = !tally.Add(1024 * 1024, 1024 * 1024);
  EXPECT_TRUE(refused);
  EXPECT_FALSE(tally.Add(0, 0)) << "once past the budget, the load stays ended";
  EXPECT_FALSE(DecodedPixelTally(plan).Add(~std::uint64_t{0}, ~std::uint64_t{0})) << "no wrap-around";
}

}  // namespace
