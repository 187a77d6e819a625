#include "banner/core/banner_plan.h"

#include <algorithm>
#include <limits>

#include "banner/core/gif_layout_check.h"

namespace {

void PlanGif(const std::uint8_t* data, std::uint32_t length, BannerPlan& plan) {
  GifWalker walker(data, length);
  plan.width = walker.ScreenWidth();
  plan.height = walker.ScreenHeight();
  // The surface and the save area, each at most the logical screen.
  const std::uint64_t screen = std::uint64_t{plan.width} * plan.height;
  plan.pixels = 2 * screen;
  walker.Rewind();
  GifFrameRect rect;
  while (plan.frames <= kBannerFrameCap && WithinPixelBudget(plan.pixels) && walker.SkipFrame(&rect)) {
    ++plan.frames;
    plan.pixels += PlannedFramePixels(rect, plan.width, plan.height);
  }
  // Only a file that a decoder splits where the walker does, and that ends
  // in its trailer, is planned at all; a screen without pixels shows nothing.
  plan.whole = screen != 0 && GifBlocksReadAsWalked(data, length);
}

void PlanStill(const std::uint8_t* data, std::uint32_t length, BannerPlan& plan) {
  const std::optional<PixelSize> size = StillPictureSize(plan.format, data, length);
  if (!size) return;
  plan.width = size->width;
  plan.height = size->height;
  plan.frames = 1;
  plan.whole = true;
  // The decoded picture and a surface of the same size. Sides of up to 32
  // bits each fit one product in 64 bits, but not twice that: saturate.
  const std::uint64_t area = std::uint64_t{size->width} * size->height;
  plan.pixels = area > std::numeric_limits<std::uint64_t>::max() / 2 ? std::numeric_limits<std::uint64_t>::max()
                                                                      : 2 * area;
}

}  // namespace

bool WithinPixelBudget(std::uint64_t pixels) { return pixels <= kBannerPixelBudget; }

std::uint64_t PlannedFramePixels(const GifFrameRect& rect, std::uint32_t screenWidth, std::uint32_t screenHeight) {
  // A frame is decoded against the logical screen it came with; a decoder may
  // size its picture to either, so the frame costs the area both span.
  const std::uint64_t width = std::max<std::uint64_t>(screenWidth, std::uint64_t{rect.left} + rect.width);
  const std::uint64_t height = std::max<std::uint64_t>(screenHeight, std::uint64_t{rect.top} + rect.height);
  return width * height;
}

std::uint64_t PlannedSurfacePixels(const BannerPlan& plan) {
  const std::uint64_t area = std::uint64_t{plan.width} * plan.height;
  // A GIF's surface and save area; a still picture's surface.
  return plan.format == PictureFormat::Gif ? 2 * area : area;
}

BannerPlan PlanBanner(const std::uint8_t* data, std::uint32_t length) {
  BannerPlan plan;
  plan.format = SniffPictureFormat(data, length);
  if (plan.format == PictureFormat::Unknown) return plan;
  if (plan.format == PictureFormat::Gif) {
    PlanGif(data, length, plan);
  } else {
    PlanStill(data, length, plan);
  }
  plan.accepted = plan.whole && plan.frames >= 1 && plan.frames <= kBannerFrameCap && WithinPixelBudget(plan.pixels);
  return plan;
}
