#include "banner/core/frame_placement.h"

#include <gtest/gtest.h>

namespace {

void ExpectRect(const SurfaceRect& rect, std::int32_t left, std::int32_t top, std::int32_t width,
                std::int32_t height) {
  EXPECT_EQ(rect.left, left);
  EXPECT_EQ(rect.top, top);
  EXPECT_EQ(rect.width, width);
  EXPECT_EQ(rect.height, height);
}

TEST(FramePlacement, APictureOfTheFramesSizeGoesToTheFramesPlace) {
  const GifFrameRect frame{10, 5, 8, 6};
  ExpectRect(PlaceFramePicture(PixelSize{8, 6}, frame, PixelSize{40, 20}), 10, 5, 8, 6);
  ExpectRect(PlaceFramePicture(PixelSize{9, 5}, frame, PixelSize{40, 20}), 10, 5, 8, 6);  // one off
}

TEST(FramePlacement, APictureOfTheScreensSizeCoversTheScreen) {
  ExpectRect(PlaceFramePicture(PixelSize{40, 20}, GifFrameRect{10, 5, 8, 6}, PixelSize{40, 20}), 0, 0, 40, 20);
  ExpectRect(PlaceFramePicture(PixelSize{41, 19}, GifFrameRect{10, 5, 8, 6}, PixelSize{40, 20}), 0, 0, 40, 20);
  // A frame that fills the screen is the same either way.
  ExpectRect(PlaceFramePicture(PixelSize{40, 20}, GifFrameRect{0, 0, 40, 20}, PixelSize{40, 20}), 0, 0, 40, 20);
  // Any other size keeps to the frame.
  ExpectRect(PlaceFramePicture(PixelSize{30, 3}, GifFrameRect{10, 5, 8, 6}, PixelSize{40, 20}), 10, 5, 8, 6);
}

TEST(FramePlacement, SaveAreasAreClippedToTheScreen) {
  ExpectRect(ClipToScreen(GifFrameRect{10, 5, 8, 6}, PixelSize{40, 20}), 10, 5, 8, 6);
  ExpectRect(ClipToScreen(GifFrameRect{36, 18, 8, 6}, PixelSize{40, 20}), 36, 18, 4, 2);
  ExpectRect(ClipToScreen(GifFrameRect{0, 0, 65535, 65535}, PixelSize{237, 31}), 0, 0, 237, 31);
  ExpectRect(ClipToScreen(GifFrameRect{65000, 65000, 535, 535}, PixelSize{237, 31}), 0, 0, 0, 0);
  ExpectRect(ClipToScreen(GifFrameRect{40, 0, 8, 8}, PixelSize{40, 20}), 0, 0, 0, 0);
}

}  // namespace
