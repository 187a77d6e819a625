#include "app/core/schedule_tick.h"

#include <gtest/gtest.h>

#include <random>

namespace {

ClockReading ReadingAt(std::int64_t linear) { return FromLinearSeconds(linear); }

TEST(LinearClock, RoundTripsAndNumbersWeekdaysFromSunday) {
  // 2026-12-07 is a Monday; 2024-02-29 a Thursday; 1970-01-04 a Sunday.
  const ClockReading monday = {2026, 12, 7, 23, 59, 59, 2};
  EXPECT_EQ(FromLinearSeconds(ToLinearSeconds(monday)).weekday, 2);
  const ClockReading next = FromLinearSeconds(ToLinearSeconds(monday) + 1);
  EXPECT_EQ(next.day, 8);
  EXPECT_EQ(next.hour, 0);
  EXPECT_EQ(next.weekday, 3);
  EXPECT_EQ(FromLinearSeconds(ToLinearSeconds({2024, 2, 29, 12, 0, 0, 0})).weekday, 5);
  EXPECT_EQ(FromLinearSeconds(3 * 86400).weekday, 1);
  for (std::int64_t t = -400LL * 86400; t < 800LL * 86400 * 366; t += 86400 * 37 + 3601) {
    EXPECT_EQ(ToLinearSeconds(FromLinearSeconds(t)), t);
  }
}

ScheduleSettings At(int h, int m, int s, int day) {
  ScheduleSettings sch;
  sch.enabled = 1;
  sch.timeOfDay = MakeTimeOfDay(h, m, s);
  sch.day = day;
  return sch;
}

TEST(ScheduleTickRule, LateTickStillFiresOnceAcrossMidnightAndWeek) {
  // Saturday 23:59:59 -> Sunday 00:00:01: a Sunday-midnight schedule fires.
  const std::int64_t saturday = ToLinearSeconds({2026, 12, 12, 23, 59, 59, 7});
  ScheduleTick tick;
  tick.Arm(ReadingAt(saturday - 1));
  const ScheduleSettings sunday = At(0, 0, 0, 1);
  EXPECT_FALSE(tick.OnTick(sunday, ReadingAt(saturday)));
  EXPECT_TRUE(tick.OnTick(sunday, ReadingAt(saturday + 2)));
  EXPECT_FALSE(tick.IsArmed());
  EXPECT_FALSE(tick.OnTick(sunday, ReadingAt(saturday + 2)));  // never twice
  // The same jump does not fire a Saturday-midnight schedule.
  tick.Arm(ReadingAt(saturday));
  EXPECT_FALSE(tick.OnTick(At(0, 0, 0, 7), ReadingAt(saturday + 2)));
}

TEST(ScheduleTickRule, LongGapOrClockSetBackKeepsTheExactRule) {
  const std::int64_t base = ToLinearSeconds({2026, 12, 7, 22, 59, 0, 2});
  const ScheduleSettings sch = At(23, 0, 0, 0);
  ScheduleTick tick;
  tick.Arm(ReadingAt(base));
  EXPECT_FALSE(tick.OnTick(sch, ReadingAt(base + 59)));      // 22:59:59
  EXPECT_FALSE(tick.OnTick(sch, ReadingAt(base + 59 + 6)));  // woke at 23:00:05
  // Clock set back: only the reading itself counts.
  tick.Arm(ReadingAt(base + 70));
  EXPECT_FALSE(tick.OnTick(sch, ReadingAt(base + 58)));
  EXPECT_FALSE(tick.OnTick(sch, ReadingAt(base + 59)));
  EXPECT_TRUE(tick.OnTick(sch, ReadingAt(base + 60)));
  // Arming at the scheduled second does not fire for that second.
  tick.Arm(ReadingAt(base + 60));
  EXPECT_FALSE(tick.OnTick(sch, ReadingAt(base + 62)));
}

// Simulates ticks with the period and lateness of real window timers and
// occasional clock changes, and checks every day against what must happen.
TEST(ScheduleTickSimulation, NoMissNoDoubleFireNoLateFire) {
  std::mt19937_64 rng(20261207);
  auto uniform = [&](std::int64_t lo, std::int64_t hi) {
    return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng);
  };
  const std::int64_t firstDay = ToLinearSeconds({2026, 1, 1, 0, 0, 0, 5}) / 86400;
  int fires = 0, misses = 0, doubles = 0, lateAfterGap = 0, wrongDay = 0, steadyDays = 0;
  const int kDays = 100000;
  for (int d = 0; d < kDays; ++d) {
    const std::int64_t day = firstDay + d;
    // A third of the schedules sit right at midnight, where a skipped second
    // belongs to another weekday.
    std::int64_t secondOfDay = uniform(0, 3) == 0 ? uniform(0, 2) : uniform(0, 86399);
    const std::int64_t due = day * 86400 + secondOfDay;
    const int dueWeekday = FromLinearSeconds(due).weekday;
    const int selector = static_cast<int>(uniform(0, 7));
    const bool dayMatches = selector == 0 || selector == dueWeekday;
    const ScheduleSettings sch = At(static_cast<int>(secondOfDay / 3600),
                                    static_cast<int>(secondOfDay / 60 % 60),
                                    static_cast<int>(secondOfDay % 60), selector);

    const std::int64_t periodMs = uniform(1000, 1016);
    const bool clockSteps = uniform(0, 9) == 0;  // a tenth of the days see clock changes
    const bool sleeps = uniform(0, 19) == 0;     // a twentieth a long stall (sleep, hang)
    std::int64_t realMs = (due - uniform(3, 40)) * 1000 + uniform(0, 999);
    std::int64_t offsetMs = 0;
    ScheduleTick tick;
    tick.Arm(ReadingAt((realMs + offsetMs) / 1000));
    std::int64_t previous = (realMs + offsetMs) / 1000;
    bool fired = false, unsteady = false;
    while ((realMs + offsetMs) / 1000 <= due + 60) {
      realMs += periodMs;
      if (uniform(0, 19) == 0) realMs += uniform(0, 3000);
      if (sleeps && uniform(0, 29) == 0) {
        realMs += uniform(6000, 120000);
        unsteady = true;
      }
      if (clockSteps && uniform(0, 14) == 0) {
        offsetMs += uniform(-30000, 30000);
        unsteady = true;
      }
      const std::int64_t now = (realMs + offsetMs) / 1000;
      const bool result = tick.OnTick(sch, ReadingAt(now));
      if (result) {
        if (fired) ++doubles;
        fired = true;
        ++fires;
        const std::int64_t gap = now - previous;
        const bool exact = now == due;
        const bool caughtUp = gap > 1 && gap <= ScheduleTick::kMaxCatchUpSeconds && previous < due && due < now;
        if (!exact && !caughtUp) ++lateAfterGap;
        if (!dayMatches && (selector != FromLinearSeconds(now).weekday)) ++wrongDay;
      }
      previous = now;
    }
    if (!unsteady) {
      ++steadyDays;
      if (dayMatches && !fired) ++misses;
      if (!dayMatches && fired) ++wrongDay;
    }
  }
  EXPECT_EQ(misses, 0);
  EXPECT_EQ(doubles, 0);
  EXPECT_EQ(lateAfterGap, 0);
  EXPECT_EQ(wrongDay, 0);
  EXPECT_GT(steadyDays, kDays / 2);
  EXPECT_GT(fires, kDays / 10);
}

}  // namespace
