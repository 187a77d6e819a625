#pragma once
#include <cstdint>

#include "app/core/schedule.h"

// The one-second schedule tick. Window timers arrive late and coalesce, so a
// tick can jump from 22:59:59 to 23:00:01. The tick therefore remembers its
// previous reading and, when the gap is short, tests every second it skipped.
// A long gap or a clock set back tests only the current reading: a clock set
// forward, or a wake from sleep, past the scheduled second does not fire late.
class ScheduleTick {
 public:
  static constexpr std::int64_t kMaxCatchUpSeconds = 5;

  // Starts ticking; seconds up to and including `now` are never tested.
  void Arm(const ClockReading& now);
  void Disarm() { m_armed = false; }
  bool IsArmed() const { return m_armed; }

  // One tick. Answers true when the schedule fires; the tick is then disarmed,
  // so a second never fires twice.
  bool OnTick(const ScheduleSettings& schedule, const ClockReading& now);

 private:
  bool m_armed = false;
  std::int64_t m_previous = 0;  // seconds since 1970-01-01, local time
};

// Local wall-clock reading <-> seconds since 1970-01-01 00:00:00 local time.
std::int64_t ToLinearSeconds(const ClockReading& reading);
ClockReading FromLinearSeconds(std::int64_t seconds);
