#pragma once
#include <cstddef>
#include <cstdint>

// Rules of the tray icon's timer-driven animation.

// Half a second expressed in days, the rounding term of the seconds count.
constexpr double kHalfSecondInDays = 5.787037037037037e-6;

// Whole seconds in a span of `elapsedDays`: the span in seconds plus
// kHalfSecondInDays, truncated toward zero. The term is in days, not seconds,
// so it only absorbs the rounding error of the day fraction: 2.9 s counts 2.
// A span beyond the 64-bit range saturates; a non-finite one counts 0.
std::int64_t WholeSecondsOf(double elapsedDays);

enum class AnimationTick {
  kIgnore,  // not the animation's timer
  kStep,    // show the next icon
  kEnd,     // the animation has run its length
};

// What one timer message does. `animTimerId` 0 means none runs: every
// message is then ignored. `animSeconds` 0 animates until ended; whole
// seconds equal to `animSeconds` still step.
AnimationTick OnAnimationTimer(std::uintptr_t timerId, std::uintptr_t animTimerId,
                               double elapsedDays, std::uint32_t animSeconds);

// Index of the icon after `index` in a list of `count` icons, wrapping to 0.
// Answers -1 for an empty list, which shows nothing.
int NextAnimationIndex(int index, std::size_t count);
