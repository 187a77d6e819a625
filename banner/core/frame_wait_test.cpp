#include "banner/core/frame_wait.h"

#include <gtest/gtest.h>

#include "banner/core/gif_walker.h"

namespace {

TEST(FrameWait, ShortDelaysShowForATenthOfASecond) {
  const struct {
    std::uint32_t delay;
    std::uint32_t waitMs;
  } cases[] = {
      {0, 100},
      {1, 100},
      {4, 100},  // 4 hundredths would be 40 ms
      {5, 50},
      {6, 60},
      {10, 100},
      {100, 1000},
      {65535, 655350},            // largest stored delay
      {kGifNoDelay, 100},         // no graphic control extension
      {0xFFFFFFFEu, 0xFFFFFFEC},  // 32-bit product wraps
  };
  for (const auto& c : cases) EXPECT_EQ(FrameWaitMilliseconds(c.delay), c.waitMs) << c.delay;
}

}  // namespace
