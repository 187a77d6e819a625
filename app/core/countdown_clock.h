#pragma once
#include <cstdint>

// The countdown's seconds, counted in time the system was seen awake rather
// than in timer messages: a flood of early or forged timer messages does not
// speed it up, and a late one shows the seconds that really passed. Each
// step between two readings of the system's millisecond tick count adds its
// length; a step longer than kMaxStepMs (a stall, or a sleep the program was
// not told of) adds nothing, so the count can only run late, never early.
class CountdownClock {
 public:
  static constexpr std::int64_t kMaxStepMs = 2000;

  CountdownClock(std::int32_t seconds, std::uint32_t shownAtMs)
      : m_totalMs(static_cast<std::int64_t>(seconds) * 1000), m_lastMs(shownAtMs) {}

  // A reading of the tick count (it wraps at 2^32); answers the seconds left.
  std::int32_t Advance(std::uint32_t nowMs);
  // Whole seconds left, rounded up: 0 only once the full time has passed.
  std::int32_t Remaining() const;

 private:
  std::int64_t m_totalMs;
  std::int64_t m_awakeMs = 0;
  std::uint32_t m_lastMs;
};
