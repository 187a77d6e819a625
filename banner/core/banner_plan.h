#pragma once
// What a banner file would cost the control once decoded, worked out from
// its headers alone, and whether that fits the budget. Anything the network
// serves passes here before a single pixel is decoded.
#include <cstdint>

#include "banner/core/gif_walker.h"
#include "banner/core/picture_format.h"

// Decoded pixels of one whole banner: every decoded frame, the off-screen
// surface and the save area. The banner shows at 237 x 31 (7347 pixels);
// 4 Mpx is some 570 frames of that, and 16 MiB at 32 bits a pixel.
constexpr std::uint64_t kBannerPixelBudget = 4u * 1024 * 1024;
// The largest banner file read at all: the whole file is read into memory
// before its headers are checked.
constexpr std::uint32_t kBannerMaxFileBytes = 32u * 1024 * 1024;
// GIF frames tried, whether or not they decode. Each decoded frame holds a
// bitmap, and a mask when transparent: 256 frames keep a control under some
// 520 GDI objects with its surface, both windows under 1,100 of the 10,000 a
// process may have.
constexpr std::uint32_t kBannerFrameCap = 256;
// GDI objects one control may hold: two a frame, the surface's DC and
// bitmap, the save area's DC and bitmap.
constexpr std::uint32_t kBannerGdiObjectCap = 2 * kBannerFrameCap + 4;
static_assert(2 * kBannerGdiObjectCap < 10000 / 4, "both windows stay far from the process's GDI limit");

struct BannerPlan {
  PictureFormat format = PictureFormat::Unknown;
  // A GIF's logical screen, or the size a still picture's header announces.
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t frames = 0;  // a GIF's whole frames (walked up to the cap + 1); 1 for a still
  std::uint64_t pixels = 0;  // decoded pixels needed, counted up to just past the budget
  // The file is whole for its format and reads the same to the plan as to a
  // decoder (for a still picture, StillPictureSize found its size).
  bool whole = false;
  // A picture format the control takes, whole, with something to show, within the
  // frame cap and the pixel budget.
  bool accepted = false;
};

BannerPlan PlanBanner(const std::uint8_t* data, std::uint32_t length);

bool WithinPixelBudget(std::uint64_t pixels);

// What one GIF frame at rect may cost once decoded, against its screen.
std::uint64_t PlannedFramePixels(const GifFrameRect& rect, std::uint32_t screenWidth, std::uint32_t screenHeight);
// The pixels the plan sets aside beside the decoded pictures: the surface,
// and for a GIF the save area.
std::uint64_t PlannedSurfacePixels(const BannerPlan& plan);
