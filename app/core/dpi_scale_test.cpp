#include "app/core/dpi_scale.h"

#include <gtest/gtest.h>

namespace {

TEST(ScaleToDpi, CommonScalesRoundToTheNearestPixel) {
  struct Case {
    int length, dpi, scaled;
  } const cases[] = {
      {16, 96, 16},  {16, 120, 20},  {16, 144, 24},  {16, 168, 28}, {16, 192, 32},  // small icons
      {32, 120, 40}, {32, 144, 48},  {32, 192, 64},                                 // large icons
      {100, 120, 125}, {100, 144, 150}, {200, 144, 300}, {100, 192, 200},           // side picture
      {237, 144, 356}, {31, 144, 47},  {237, 120, 296}, {31, 120, 39},              // x.5 rounds up
      {100, 72, 75},  {-10, 144, -15}, {0, 192, 0},
      {16, 0, 16},    {16, -144, 16},  // a failed query counts as 96
  };
  for (const auto& c : cases) EXPECT_EQ(ScaleToDpi(c.length, c.dpi), c.scaled) << c.length << " at " << c.dpi;
}

TEST(ScaleToDpi, TheProductMayExceed32Bits) {
  EXPECT_EQ(ScaleToDpi(2000000000, 96), 2000000000);
  EXPECT_EQ(ScaleToDpi(1000000000, 192), 2000000000);
  EXPECT_EQ(ScaleToDpi(-1000000000, 192), -2000000000);
}

TEST(DialogDpi, TheDialogsGrowthAsADpi) {
  EXPECT_EQ(DialogDpi(6, 6), 96);
  EXPECT_EQ(DialogDpi(8, 6), 128);   // 9 points at 120 DPI: the font grows a third
  EXPECT_EQ(DialogDpi(9, 6), 144);
  EXPECT_EQ(DialogDpi(12, 6), 192);
  EXPECT_EQ(DialogDpi(7, 6), 112);
  EXPECT_EQ(DialogDpi(10, 7), 137);  // rounded
  EXPECT_EQ(DialogDpi(0, 6), 96);    // no font: as at 96 DPI
  EXPECT_EQ(DialogDpi(6, 0), 96);
}

TEST(IconSizeForPlace, ADrawnSizeWhenCloseElseThePlacesOwn) {
  const int drawn[] = {64, 48, 40, 32, 24, 20, 16};
  struct Case {
    int wanted, size;
  } const cases[] = {
      {32, 32}, {48, 48}, {64, 64},  // exact
      {33, 32}, {47, 48}, {62, 64},  // within 4 %: the sharp image
      {43, 43}, {36, 36}, {56, 56},  // between drawn sizes: scaled
      {80, 80}, {12, 12},
  };
  for (const auto& c : cases) EXPECT_EQ(IconSizeForPlace(c.wanted, drawn, 7), c.size) << c.wanted;
  EXPECT_EQ(IconSizeForPlace(43, drawn, 0), 43);
}

TEST(PickImageForDpi, ExactElseNextLargerElseLargest) {
  const int dpis[] = {96, 144, 192};
  struct Case {
    int dpi;
    std::size_t index;
  } const cases[] = {
      {96, 0}, {144, 1}, {192, 2},   // drawn for that DPI
      {72, 0}, {120, 1}, {168, 2},   // scaled down from the next one up
      {240, 2}, {480, 2},            // scaled up from the largest
      {0, 0}, {-5, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(PickImageForDpi(dpis, 3, c.dpi), c.index) << c.dpi;
  const int one[] = {96};
  EXPECT_EQ(PickImageForDpi(one, 1, 192), 0u);
  EXPECT_EQ(PickImageForDpi(one, 0, 192), 0u);
}

}  // namespace
