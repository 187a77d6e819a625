#include "banner/core/banner_plan.h"

#include <gtest/gtest.h>

#include <vector>

#include "banner/core/gif_test_builder.h"
#include "banner/core/still_test_builder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

BannerPlan Plan(const Bytes& bytes) { return PlanBanner(bytes.data(), static_cast<std::uint32_t>(bytes.size())); }

using still_test::Bmp;
using still_test::Jpeg;
using still_test::Png;

Bytes Gif(std::uint16_t width, std::uint16_t height, int frames, std::uint16_t left = 0, std::uint16_t top = 0) {
  GifBuilder gif;
  gif.Header(width, height, 0x80);
  for (int i = 0; i < frames; ++i) gif.GraphicControl(10, 0).Image(left, top, 8, 8);
  gif.Trailer();
  return gif.bytes();
}

TEST(BannerPlan, BannersOfUsualSizesAreAccepted) {
  const BannerPlan banner = Plan(Gif(237, 31, 20));
  EXPECT_TRUE(banner.accepted);
  EXPECT_EQ(banner.format, PictureFormat::Gif);
  EXPECT_EQ(banner.frames, 20u);
  EXPECT_EQ(banner.pixels, 22u * 237 * 31) << "surface, save area and one screen a frame";

  const BannerPlan png = Plan(Png(237, 31));
  EXPECT_TRUE(png.accepted);
  EXPECT_EQ(png.width, 237u);
  EXPECT_EQ(png.height, 31u);
  const BannerPlan jpeg = Plan(Jpeg(640, 480));
  EXPECT_TRUE(jpeg.accepted);
  EXPECT_EQ(jpeg.width, 640u);
  EXPECT_EQ(jpeg.height, 480u);
  const BannerPlan topDown = Plan(Bmp(96, -48));
  EXPECT_TRUE(topDown.accepted);
  EXPECT_EQ(topDown.height, 48u);
}

TEST(BannerPlan, WhatIsNoPictureIsRefused) {
  const std::string page = "<html><body>Please log in</body></html>";
  GifBuilder commentOnly;
  commentOnly.Header(8, 8).Comment("no frames").Trailer();
  Bytes cutInFirstFrame = Gif(237, 31, 1);
  cutInFirstFrame.resize(cutInFirstFrame.size() - 5);
  const Bytes cases[] = {
      Bytes(),
      Bytes(page.begin(), page.end()),
      commentOnly.bytes(),
      cutInFirstFrame,
      Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'},  // no IHDR
      Bytes{0xFF, 0xD8, 0xFF, 0xDA, 0, 2, 0xFF, 0xD9},    // scan before any frame header
      Jpeg(0, 10),
      Bmp(-5, 5),
      Bytes{'B', 'M', 0, 0},
  };
  for (const Bytes& bytes : cases) {
    const BannerPlan plan = Plan(bytes);
    EXPECT_FALSE(plan.accepted) << std::string(bytes.begin(), bytes.end());
  }
}

TEST(BannerPlan, HugePicturesAreRefusedFromTheirHeadersAlone) {
  struct Case {
    const char* what;
    Bytes bytes;
  };
  const Case cases[] = {
      {"screen of 65535 x 65535, one small frame", Gif(65535, 65535, 1)},
      {"frames at 65000,65000", Gif(24, 8, 2, 65000, 65000)},
      {"PNG of 20000 x 20000", Png(20000, 20000)},
      {"JPEG of 20000 x 20000", Jpeg(20000, 20000)},
      {"BMP of 20000 x 20000", still_test::BmpRle(20000, 20000)},
      {"PNG of 2^31 x 2^31", Png(0x80000000u, 0x80000000u)},
      // Their product is 2^63 + 32768: counted twice it would wrap to 65536.
      {"PNG whose area counted twice wraps", Png(2147516416u, 4294901761u)},
      {"PNG of the largest sides", Png(0xFFFFFFFFu, 0xFFFFFFFFu)},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(Plan(c.bytes).accepted) << c.what;
  }
}

TEST(BannerPlan, TheBudgetCountsEveryFrame) {
  // 4096 x 4096 frames: a fraction of the budget each, too many together.
  GifBuilder big;
  big.Header(4096, 4096, 0x80);
  for (int i = 0; i < 300; ++i) big.GraphicControl(10, 0).Image(0, 0, 4096, 4096);
  big.Trailer();
  const BannerPlan plan = Plan(big.bytes());
  EXPECT_FALSE(plan.accepted);
  EXPECT_LT(plan.frames, 300u) << "the walk stops once over the budget";

  // The largest square screen of two frames that fits: 4 screens' worth.
  EXPECT_TRUE(Plan(Gif(1024, 1024, 2)).accepted);
  EXPECT_FALSE(Plan(Gif(1024, 1025, 2)).accepted);
}

TEST(BannerPlan, FramesAreCappedWhetherOrNotTheyDecode) {
  EXPECT_TRUE(Plan(Gif(16, 16, kBannerFrameCap)).accepted);
  const BannerPlan over = Plan(Gif(16, 16, 100000));
  EXPECT_FALSE(over.accepted);
  EXPECT_EQ(over.frames, kBannerFrameCap + 1) << "the walk stops past the cap";
}

}  // namespace
