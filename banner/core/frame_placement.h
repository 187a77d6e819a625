#pragma once
// Where the pictures of a GIF's frames go on the control's surface.
#include <cstdint>

#include "banner/core/gif_walker.h"
#include "banner/core/picture_format.h"

// A rectangle in surface pixels.
struct SurfaceRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// Where a frame's decoded picture is drawn. A decoder may hand back the
// frame at its own size, or the whole logical screen with the frame at its
// place: the picture's own size tells which, so a frame lands on the same
// pixels either way, alone in its file or inside an animation.
SurfaceRect PlaceFramePicture(PixelSize picture, const GifFrameRect& frame, PixelSize screen);

// The part of frame that lies on the logical screen; empty when none does.
SurfaceRect ClipToScreen(const GifFrameRect& frame, PixelSize screen);
