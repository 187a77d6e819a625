#pragma once
#include <cstdint>

// How long the animation shows a frame, in milliseconds, for its stored delay
// in hundredths of a second. Delays of 0 to 4 (and a frame without a graphic
// control extension) show for 100 ms; 5 and more for delay x 10 ms.
std::uint32_t FrameWaitMilliseconds(std::uint32_t delay);
