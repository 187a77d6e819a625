#pragma once
// Turns a banner file into the pictures the control shows, within the
// bounds its plan sets: nothing is decoded from a file the plan refuses.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "banner/animation_scene.h"
#include "banner/core/picture_show.h"
#include "banner/picture_decoder.h"

struct DecodedBanner {
  BannerPlan plan;
  PictureRef still;              // a JPEG, PNG or BMP
  std::vector<GifFrame> frames;  // a GIF: the frames that decoded, in file order
  PictureShow show = PictureShow::Nothing;
};

// Decodes the first length bytes of the movable block, which stays the
// caller's. pixelsPerInch converts the decoder's picture sizes to pixels.
DecodedBanner DecodeBanner(HGLOBAL block, DWORD length, PictureDecoder decoder, SIZE pixelsPerInch);

// The size of a decoded picture in pixels at pixelsPerInch.
SIZE PicturePixelSize(IPicture* picture, SIZE pixelsPerInch);

// The pixels a decoded picture holds: a bitmap's own size, otherwise its
// size at pixelsPerInch.
std::uint64_t PictureDecodedPixels(IPicture* picture, SIZE pixelsPerInch);

// The logical pixels per inch of window's device context (the screen's for null).
SIZE WindowPixelsPerInch(HWND window);

// True when bytes hold a picture the control would show: a format it takes,
// within the budget, and accepted by the platform's decoder. Decodes the
// whole banner, as the control does, so that both come to the same verdict.
bool IsShowableBanner(const std::vector<std::uint8_t>& bytes);
