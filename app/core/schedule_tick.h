#pragma once
#include <cstdint>

#include "app/core/schedule.h"

// The one-second schedule tick. Window timers arrive late and coalesce, so a
// tick can jump from 22:59:59 to 23:00:01. The tick therefore remembers its
// previous reading and tests the seconds it skipped, but only those that
// really passed: the system's millisecond tick count says how many. When the
// wall-clock gap agrees with it, the tick was late and every skipped second
// is tested; when it does not, the clock or the time zone changed (a
// daylight-saving night, a clock set by hand) and only the last seconds
// before the reading, as many as the tick count saw pass, are tested. Either
// way only a stall of up to kMaxCatchUpSeconds is caught up: a wake from
// sleep, or a clock set forward, past the scheduled second does not fire late.
class ScheduleTick {
 public:
  static constexpr std::int64_t kMaxCatchUpSeconds = 5;

  // Starts ticking; seconds up to and including `now` are never tested.
  // `tickMs` is the system's millisecond tick count, which wraps at 2^32.
  void Arm(const ClockReading& now, std::uint32_t tickMs);
  void Disarm() { m_armed = false; }
  bool IsArmed() const { return m_armed; }

  // The system said its clock or time zone changed (WM_TIMECHANGE): the new
  // reading is tested at once and the next tick counts from it, so no second
  // the clock jumped over is taken for one it passed. Answers like OnTick.
  bool OnClockChanged(const ScheduleSettings& schedule, const ClockReading& now, std::uint32_t tickMs);

  // One tick. Answers true when the schedule fires; the tick is then disarmed,
  // so a second never fires twice.
  bool OnTick(const ScheduleSettings& schedule, const ClockReading& now, std::uint32_t tickMs);

  // The scheduled second of the last fire (seconds since 1970, local time):
  // the skipped second a late tick caught, not the reading's.
  std::int64_t FiredSecond() const { return m_fired; }

 private:
  bool m_armed = false;
  std::int64_t m_previous = 0;  // seconds since 1970-01-01, local time
  std::uint32_t m_previousTickMs = 0;
  std::int64_t m_fired = 0;
};

// Local wall-clock reading <-> seconds since 1970-01-01 00:00:00 local time.
std::int64_t ToLinearSeconds(const ClockReading& reading);
ClockReading FromLinearSeconds(std::int64_t seconds);
