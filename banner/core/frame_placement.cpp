#include "banner/core/frame_placement.h"

#include <algorithm>

namespace {

// Pixel sizes converted back from the decoder's physical units may be one
// off either way.
bool SameSize(std::uint32_t a, std::uint32_t b) { return (a > b ? a - b : b - a) <= 1; }

bool SameSize(PixelSize picture, std::uint32_t width, std::uint32_t height) {
  return SameSize(picture.width, width) && SameSize(picture.height, height);
}

SurfaceRect AsSurfaceRect(const GifFrameRect& frame) {
  // GIF fields are 16 bits wide: every value fits.
  return SurfaceRect{static_cast<std::int32_t>(frame.left), static_cast<std::int32_t>(frame.top),
                     static_cast<std::int32_t>(frame.width), static_cast<std::int32_t>(frame.height)};
}

}  // namespace

SurfaceRect PlaceFramePicture(PixelSize picture, const GifFrameRect& frame, PixelSize screen) {
  if (!SameSize(picture, frame.width, frame.height) && SameSize(picture, screen.width, screen.height)) {
    return SurfaceRect{0, 0, static_cast<std::int32_t>(screen.width), static_cast<std::int32_t>(screen.height)};
  }
  return AsSurfaceRect(frame);
}

SurfaceRect ClipToScreen(const GifFrameRect& frame, PixelSize screen) {
  const std::uint32_t right = std::min<std::uint32_t>(frame.left + frame.width, screen.width);
  const std::uint32_t bottom = std::min<std::uint32_t>(frame.top + frame.height, screen.height);
  if (frame.left >= right || frame.top >= bottom) return SurfaceRect{};
  return SurfaceRect{static_cast<std::int32_t>(frame.left), static_cast<std::int32_t>(frame.top),
                     static_cast<std::int32_t>(right - frame.left), static_cast<std::int32_t>(bottom - frame.top)};
}
