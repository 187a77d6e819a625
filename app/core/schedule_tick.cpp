#include "app/core/schedule_tick.h"

namespace {

// Days since 1970-01-01 in the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

}  // namespace

std::int64_t ToLinearSeconds(const ClockReading& r) {
  return DaysFromCivil(r.year, r.month, r.day) * 86400 + r.hour * 3600 + r.minute * 60 + r.second;
}

ClockReading FromLinearSeconds(std::int64_t seconds) {
  const std::int64_t days = FloorDiv(seconds, 86400);
  const std::int64_t rest = seconds - days * 86400;
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  ClockReading r;
  r.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  r.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  r.year = static_cast<int>(yoe + era * 400 + (r.month <= 2));
  r.hour = static_cast<int>(rest / 3600);
  r.minute = static_cast<int>(rest / 60 % 60);
  r.second = static_cast<int>(rest % 60);
  // 1970-01-01 was a Thursday (5 with Sunday as 1).
  r.weekday = static_cast<int>((days % 7 + 7 + 4) % 7 + 1);
  return r;
}

void ScheduleTick::Arm(const ClockReading& now, std::uint32_t tickMs) {
  m_armed = true;
  m_previous = ToLinearSeconds(now);
  m_previousTickMs = tickMs;
}

namespace {

// Whole-second readings of a steady clock differ from the elapsed time by
// less than a second; a little more allows for the tick count's granularity.
constexpr std::int64_t kReadingSlackMs = 1000 + 100;

}  // namespace

bool ScheduleTick::OnTick(const ScheduleSettings& schedule, const ClockReading& now, std::uint32_t tickMs) {
  if (!m_armed) return false;
  const std::int64_t current = ToLinearSeconds(now);
  const std::int64_t gap = current - m_previous;
  // Unsigned: the count wraps after 49.7 days, and the difference stays right.
  const std::int64_t elapsedMs = static_cast<std::uint32_t>(tickMs - m_previousTickMs);
  const bool steady = gap >= 0 && gap * 1000 <= elapsedMs + kReadingSlackMs && gap * 1000 >= elapsedMs - kReadingSlackMs;
  // The seconds before this reading that the clock really passed through.
  std::int64_t skipped = steady ? gap - 1 : (elapsedMs + 500) / 1000 - 1;
  if (skipped >= kMaxCatchUpSeconds) skipped = 0;  // a long stall: sleep or a hang
  std::int64_t first = current - skipped;
  if (gap > 0 && first <= m_previous) first = m_previous + 1;
  bool due = false;
  for (std::int64_t t = first; t < current && !due; ++t) {
    due = IsScheduleDue(schedule, FromLinearSeconds(t));
    if (due) m_fired = t;
  }
  if (!due && IsScheduleDue(schedule, now)) {
    due = true;
    m_fired = current;
  }
  m_previous = current;
  m_previousTickMs = tickMs;
  if (due) m_armed = false;
  return due;
}

bool ScheduleTick::OnClockChanged(const ScheduleSettings& schedule, const ClockReading& now, std::uint32_t tickMs) {
  if (!m_armed) return false;
  m_previous = ToLinearSeconds(now);
  m_previousTickMs = tickMs;
  if (!IsScheduleDue(schedule, now)) return false;
  m_armed = false;
  m_fired = m_previous;
  return true;
}
