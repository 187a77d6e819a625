#include "app/core/countdown_clock.h"

std::int32_t CountdownClock::Advance(std::uint32_t nowMs) {
  const std::int64_t step = static_cast<std::uint32_t>(nowMs - m_lastMs);
  m_lastMs = nowMs;
  if (step <= kMaxStepMs) m_awakeMs += step;
  return Remaining();
}

std::int32_t CountdownClock::Remaining() const {
  const std::int64_t left = m_totalMs - m_awakeMs;
  return left <= 0 ? 0 : static_cast<std::int32_t>((left + 999) / 1000);
}
