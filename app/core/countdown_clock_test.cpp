#include "app/core/countdown_clock.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(CountdownClock, QuarterSecondTicksShowEachSecondOnceAndZeroAtThirty) {
  const std::uint32_t start = 0xFFFFF000u;  // crosses the tick count's wrap
  CountdownClock clock(30, start);
  std::vector<std::int32_t> shown;
  std::int64_t zeroAt = -1;
  for (std::int64_t ms = 250; ms <= 31000 && zeroAt < 0; ms += 250) {
    const std::int32_t left = clock.Advance(static_cast<std::uint32_t>(start + ms));
    if (shown.empty() || shown.back() != left) shown.push_back(left);
    if (left == 0) zeroAt = ms;
  }
  EXPECT_EQ(zeroAt, 30000);
  ASSERT_EQ(shown.size(), 31u);
  for (std::size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(shown[i], 30 - static_cast<std::int32_t>(i));
}

TEST(CountdownClock, ForgedOrEarlyTicksDoNotSpeedItUp) {
  CountdownClock clock(30, 1000);
  for (int i = 0; i < 10000; ++i) EXPECT_EQ(clock.Advance(1000 + i / 100), 30);  // 10000 messages in 100 ms
  std::uint32_t now = 1099;
  while (now < 30999) EXPECT_GT(clock.Advance(now = now + 100 > 30999 ? 30999 : now + 100), 0);
  EXPECT_EQ(clock.Remaining(), 1);
  EXPECT_EQ(clock.Advance(31000), 0);
}

TEST(CountdownClock, LateTicksShowTheTimeThatPassed) {
  CountdownClock clock(30, 0);
  EXPECT_EQ(clock.Advance(1000), 29);
  EXPECT_EQ(clock.Advance(2900), 28);  // 1.9 s late: two seconds in one step
  EXPECT_EQ(clock.Advance(3000), 27);
}

// A stall or a sleep nobody announced: the gap counts for nothing, so zero
// comes at least 30 s of counted time after the window was shown.
TEST(CountdownClock, LongGapsCountForNothing) {
  CountdownClock clock(30, 0);
  EXPECT_EQ(clock.Advance(1000), 29);
  EXPECT_EQ(clock.Advance(1000 + 3 * 3600 * 1000), 29);  // hours asleep
  EXPECT_EQ(clock.Advance(1000 + 3 * 3600 * 1000 + 2000), 27);
  EXPECT_EQ(clock.Advance(1000 + 3 * 3600 * 1000 + 2001 + CountdownClock::kMaxStepMs), 27);
  CountdownClock zero(0, 5);
  EXPECT_EQ(zero.Remaining(), 0);
}

}  // namespace
