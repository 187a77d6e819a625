#include "banner/core/frame_wait.h"

#include "banner/core/gif_walker.h"

namespace {
constexpr std::uint32_t kShortDelayWaitMs = 100;
}

std::uint32_t FrameWaitMilliseconds(std::uint32_t delay) {
  // Without a graphic control extension the product would be some 49.7 days,
  // freezing the animation; such a frame is treated like a delay of 0.
  if (delay <= 4 || delay == kGifNoDelay) return kShortDelayWaitMs;
  return delay * 10u;  // unsigned 32-bit, as the stored delay is 16-bit
}
