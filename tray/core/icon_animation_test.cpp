#include "tray/core/icon_animation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kSecond = 1.0 / 86400.0;

TEST(WholeSeconds, TruncatesAfterAddingHalfASecondInDays) {
  struct Case {
    double seconds;
    std::int64_t expected;
  } const cases[] = {
      {0.0, 0}, {0.5, 0}, {0.99, 0}, {2.9, 2}, {2.99999, 2}, {3.0, 3}, {-0.5, 0}, {-1.5, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WholeSecondsOf(c.seconds * kSecond), c.expected) << c.seconds;
  }
}

TEST(WholeSeconds, DifferencesOfRealDatesCountWholeSecondsExactly) {
  // The rounding term absorbs the error of day fractions near today's dates.
  const double start = 45000.0 + 12345.0 * kSecond;
  for (int n = 0; n <= 7200; ++n) {
    const double now = start + n * kSecond;
    ASSERT_EQ(WholeSecondsOf(now - start), n);
  }
}

TEST(WholeSeconds, OutOfRangeSpans) {
  EXPECT_EQ(WholeSecondsOf(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(WholeSecondsOf(1e300), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(WholeSecondsOf(-1e300), std::numeric_limits<std::int64_t>::min());
}

TEST(AnimationTimer, IgnoreStepOrEnd) {
  struct Case {
    std::uintptr_t timerId, animTimerId;
    double seconds;
    std::uint32_t animSeconds;
    AnimationTick expected;
  } const cases[] = {
      {5, 6, 1.0, 10, AnimationTick::kIgnore},   // another timer
      {0, 0, 1.0, 10, AnimationTick::kIgnore},   // no animation runs
      {6, 6, 9.0, 10, AnimationTick::kStep},
      {6, 6, 10.0, 10, AnimationTick::kStep},    // equal still steps
      {6, 6, 10.9, 10, AnimationTick::kStep},    // 10.9 counts 10
      {6, 6, 11.0, 10, AnimationTick::kEnd},
      {6, 6, 1e7, 0, AnimationTick::kStep},      // 0 runs until ended
      {6, 6, -5.0, 1, AnimationTick::kStep},     // clock set back
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OnAnimationTimer(c.timerId, c.animTimerId, c.seconds * kSecond, c.animSeconds), c.expected)
        << c.timerId << "/" << c.animTimerId << " " << c.seconds << "s of " << c.animSeconds;
  }
}

TEST(AnimationIndex, StepsAndWraps) {
  EXPECT_EQ(NextAnimationIndex(1, 3), 2);
  EXPECT_EQ(NextAnimationIndex(2, 3), 0);
  EXPECT_EQ(NextAnimationIndex(0, 0), -1);
  // An index the list does not hold restarts at the first icon.
  EXPECT_EQ(NextAnimationIndex(7, 3), 0);
  EXPECT_EQ(NextAnimationIndex(std::numeric_limits<int>::max(), 3), 0);
}

}  // namespace
