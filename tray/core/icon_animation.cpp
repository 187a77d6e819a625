#include "tray/core/icon_animation.h"

#include <cmath>
#include <limits>

std::int64_t WholeSecondsOf(double elapsedDays) {
  const double seconds = std::trunc(elapsedDays * 86400.0 + kHalfSecondInDays);
  if (!std::isfinite(seconds)) return 0;
  // 2^63 is exactly representable; anything at or past it saturates.
  constexpr double kLimit = 9223372036854775808.0;
  if (seconds >= kLimit) return std::numeric_limits<std::int64_t>::max();
  if (seconds < -kLimit) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(seconds);
}

AnimationTick OnAnimationTimer(std::uintptr_t timerId, std::uintptr_t animTimerId,
                               double elapsedDays, std::uint32_t animSeconds) {
  // Id 0 means no animation runs, so a stray timer 0 does nothing either.
  if (animTimerId == 0 || timerId != animTimerId) return AnimationTick::kIgnore;
  if (animSeconds > 0 && WholeSecondsOf(elapsedDays) > static_cast<std::int64_t>(animSeconds)) {
    return AnimationTick::kEnd;
  }
  return AnimationTick::kStep;
}

int NextAnimationIndex(int index, std::size_t count) {
  if (count == 0) return -1;
  const long long next = static_cast<long long>(index) + 1;
  if (next < 0 || static_cast<unsigned long long>(next) >= count) return 0;
  return static_cast<int>(next);
}
