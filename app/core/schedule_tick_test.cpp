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

// The system's tick count for a reading taken at `linear` seconds on a steady
// clock; it starts just before its 2^32 wrap so that every test crosses it.
std::uint32_t TickAt(std::int64_t linear, std::int64_t base) {
  return static_cast<std::uint32_t>(0xFFFFF000u + (linear - base) * 1000);
}

TEST(ScheduleTickRule, LateTickStillFiresOnceAcrossMidnightAndWeek) {
  // Saturday 23:59:59 -> Sunday 00:00:01: a Sunday-midnight schedule fires.
  const std::int64_t saturday = ToLinearSeconds({2026, 12, 12, 23, 59, 59, 7});
  auto tickAt = [&](std::int64_t t) { return TickAt(t, saturday); };
  ScheduleTick tick;
  tick.Arm(ReadingAt(saturday - 1), tickAt(saturday - 1));
  const ScheduleSettings sunday = At(0, 0, 0, 1);
  EXPECT_FALSE(tick.OnTick(sunday, ReadingAt(saturday), tickAt(saturday)));
  EXPECT_TRUE(tick.OnTick(sunday, ReadingAt(saturday + 2), tickAt(saturday + 2)));
  EXPECT_FALSE(tick.IsArmed());
  EXPECT_FALSE(tick.OnTick(sunday, ReadingAt(saturday + 2), tickAt(saturday + 2)));  // never twice
  // The same jump does not fire a Saturday-midnight schedule.
  tick.Arm(ReadingAt(saturday), tickAt(saturday));
  EXPECT_FALSE(tick.OnTick(At(0, 0, 0, 7), ReadingAt(saturday + 2), tickAt(saturday + 2)));
}

// A late tick from Saturday 23:59:56 to Sunday 00:00:01 skips seconds of both
// days: each belongs to its own weekday, not to the reading's.
TEST(ScheduleTickRule, SkippedSecondsBeforeMidnightKeepTheirWeekday) {
  const std::int64_t before = ToLinearSeconds({2026, 12, 12, 23, 59, 56, 7});
  auto tickAt = [&](std::int64_t t) { return TickAt(t, before); };
  struct Case {
    int h, m, s, day;
    bool fires;
  };
  const Case cases[] = {
      {23, 59, 57, 7, true},  {23, 59, 58, 7, true},  {23, 59, 59, 7, true},  {23, 59, 59, 0, true},
      {0, 0, 0, 1, true},     {0, 0, 1, 1, true},     {23, 59, 57, 1, false}, {23, 59, 58, 1, false},
      {23, 59, 59, 1, false}, {0, 0, 0, 7, false},    {0, 0, 1, 7, false},    {23, 59, 56, 7, false},
  };
  for (const Case& c : cases) {
    ScheduleTick tick;
    tick.Arm(ReadingAt(before), tickAt(before));
    EXPECT_EQ(tick.OnTick(At(c.h, c.m, c.s, c.day), ReadingAt(before + 5), tickAt(before + 5)), c.fires)
        << c.h << ":" << c.m << ":" << c.s << " day " << c.day;
    if (c.fires) {
      // The fire names the scheduled second, whichever reading caught it.
      const ClockReading fired = FromLinearSeconds(tick.FiredSecond());
      EXPECT_EQ(fired.hour * 3600 + fired.minute * 60 + fired.second, c.h * 3600 + c.m * 60 + c.s);
    }
  }
}

TEST(ScheduleTickRule, LongGapOrClockSetBackKeepsTheExactRule) {
  const std::int64_t base = ToLinearSeconds({2026, 12, 7, 22, 59, 0, 2});
  auto tickAt = [&](std::int64_t t) { return TickAt(t, base); };
  const ScheduleSettings sch = At(23, 0, 0, 0);
  ScheduleTick tick;
  tick.Arm(ReadingAt(base), tickAt(base));
  EXPECT_FALSE(tick.OnTick(sch, ReadingAt(base + 59), tickAt(base + 59)));          // 22:59:59
  EXPECT_FALSE(tick.OnTick(sch, ReadingAt(base + 59 + 6), tickAt(base + 59 + 6)));  // woke at 23:00:05
  // Clock set back by 12 s between two punctual ticks: only the reading counts.
  tick.Arm(ReadingAt(base + 70), tickAt(base + 70));
  EXPECT_FALSE(tick.OnTick(sch, ReadingAt(base + 58), tickAt(base + 71)));
  EXPECT_FALSE(tick.OnTick(sch, ReadingAt(base + 59), tickAt(base + 72)));
  EXPECT_TRUE(tick.OnTick(sch, ReadingAt(base + 60), tickAt(base + 73)));
  // Arming at the scheduled second does not fire for that second.
  tick.Arm(ReadingAt(base + 60), tickAt(base + 60));
  EXPECT_FALSE(tick.OnTick(sch, ReadingAt(base + 62), tickAt(base + 62)));
}

// Spring forward: 01:59:59 is followed by 03:00:00. A tick 2 s late sees a
// wall-clock gap of 3602 s but 2 s of tick count: 03:00:00 passed and fires;
// the hour that never was does not.
TEST(ScheduleTickRule, DaylightSavingJumpIsToldFromALateTick) {
  const std::int64_t before = ToLinearSeconds({2027, 3, 28, 1, 59, 59, 1});
  const std::uint32_t t0 = 0xFFFFFC00u;  // the late tick's count wraps past 0 as well
  struct Case {
    int h, m, s;
    bool fires;
  };
  const Case cases[] = {{3, 0, 0, true}, {3, 0, 1, true}, {2, 0, 0, false}, {2, 30, 0, false},
                        {2, 59, 59, false}, {2, 59, 58, false}};
  for (const Case& c : cases) {
    ScheduleTick tick;
    tick.Arm(ReadingAt(before), t0);
    EXPECT_EQ(tick.OnTick(At(c.h, c.m, c.s, 0), ReadingAt(before + 3602), t0 + 2000), c.fires)
        << c.h << ":" << c.m << ":" << c.s;
  }
  // Fall back: 02:59:59 is followed by 02:00:00 again; a late tick at 02:00:01
  // still catches 02:00:00.
  const std::int64_t autumn = ToLinearSeconds({2027, 10, 31, 2, 59, 59, 1});
  ScheduleTick tick;
  tick.Arm(ReadingAt(autumn), t0);
  EXPECT_TRUE(tick.OnTick(At(2, 0, 0, 0), ReadingAt(autumn - 3600 + 2), t0 + 2000));
  // A punctual tick across a clock set forward by hand does not fire the
  // seconds jumped over, and a stall of an hour with a steady clock does not
  // catch up either.
  tick.Arm(ReadingAt(before), t0);
  EXPECT_FALSE(tick.OnTick(At(2, 30, 0, 0), ReadingAt(before + 3602), t0 + 1000));
  tick.Arm(ReadingAt(before), t0);
  EXPECT_FALSE(tick.OnTick(At(2, 30, 0, 0), ReadingAt(before + 3602), t0 + 3602000));
  EXPECT_TRUE(tick.IsArmed());
}

TEST(ScheduleTickRule, ClockChangeNoticeTestsTheNewReadingAndCountsFromIt) {
  const std::int64_t base = ToLinearSeconds({2026, 12, 7, 10, 0, 0, 2});
  const std::int64_t due = ToLinearSeconds({2026, 12, 7, 23, 0, 0, 2});
  const ScheduleSettings sch = At(23, 0, 0, 0);
  ScheduleTick tick;
  tick.Arm(ReadingAt(base), 5000);
  EXPECT_TRUE(tick.OnClockChanged(sch, ReadingAt(due), 5400));  // set to the very second
  EXPECT_FALSE(tick.IsArmed());
  EXPECT_FALSE(tick.OnClockChanged(sch, ReadingAt(due), 5500));  // disarmed stays quiet

  // Set to 23:00:01, 400 ms after a tick; the next tick 600 ms later is
  // steady from there and does not take 23:00:00 for a skipped second.
  tick.Arm(ReadingAt(base), 5000);
  EXPECT_FALSE(tick.OnClockChanged(sch, ReadingAt(due + 1), 5400));
  EXPECT_FALSE(tick.OnTick(sch, ReadingAt(due + 2), 6000));
  EXPECT_TRUE(tick.IsArmed());
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
    // A third of the schedules sit right after or right before midnight,
    // where a skipped second belongs to another weekday than the reading.
    const std::int64_t place = uniform(0, 5);
    std::int64_t secondOfDay = place == 0 ? uniform(0, 2) : place == 1 ? uniform(86395, 86399) : uniform(0, 86399);
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
    // The system's tick count: real time from an arbitrary start, wrapping.
    const std::uint32_t tickBase = static_cast<std::uint32_t>(uniform(0, 0xFFFFFFFFLL));
    auto tickCount = [&] { return static_cast<std::uint32_t>(tickBase + static_cast<std::uint32_t>(realMs)); };
    ScheduleTick tick;
    tick.Arm(ReadingAt((realMs + offsetMs) / 1000), tickCount());
    std::int64_t previous = (realMs + offsetMs) / 1000;
    std::int64_t previousRealMs = realMs;
    bool fired = false, unsteady = false, hourStepped = false;
    while ((realMs + offsetMs) / 1000 <= due + 60) {
      realMs += periodMs;
      if (uniform(0, 19) == 0) realMs += uniform(0, 3000);
      if (sleeps && uniform(0, 29) == 0) {
        realMs += uniform(6000, 120000);
        unsteady = true;
      }
      if (clockSteps && uniform(0, 14) == 0) {
        // By hand, or once a daylight-saving hour.
        const bool hour = !hourStepped && uniform(0, 1) == 0;
        hourStepped = hourStepped || hour;
        offsetMs += hour ? (uniform(0, 1) ? 3600000 : -3600000) : uniform(-30000, 30000);
        unsteady = true;
      }
      const std::int64_t now = (realMs + offsetMs) / 1000;
      const bool result = tick.OnTick(sch, ReadingAt(now), tickCount());
      if (result) {
        if (fired) ++doubles;
        fired = true;
        ++fires;
        // Fired at its second, or at most a few seconds after it when the
        // tick count says that much time really went by since the last tick,
        // and never for a second the previous reading had already reached.
        const std::int64_t late = now - due;
        const std::int64_t elapsedMs = realMs - previousRealMs;
        const bool caughtUp = late >= 1 && late < ScheduleTick::kMaxCatchUpSeconds &&
                              late * 1000 <= elapsedMs + 1100 && (now <= previous || due > previous);
        if (late != 0 && !caughtUp) ++lateAfterGap;
        if (!dayMatches) ++wrongDay;
      }
      previous = now;
      previousRealMs = realMs;
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
