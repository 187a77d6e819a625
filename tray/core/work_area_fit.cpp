#include "tray/core/work_area_fit.h"

#include <cstdint>

namespace {

// The start of a span of `length` moved into [low, high); a span longer than
// that starts at `low`. In 64 bits: a corrupt place near the limits must not
// overflow.
std::int64_t FitSpan(std::int64_t start, std::int64_t length, std::int64_t low, std::int64_t high) {
  if (start + length > high) start = high - length;
  if (start < low) start = low;
  return start;
}

}  // namespace

Rect FitIntoWorkArea(const Rect& window, const Rect& workArea) {
  const std::int64_t width = static_cast<std::int64_t>(window.right) - window.left;
  const std::int64_t height = static_cast<std::int64_t>(window.bottom) - window.top;
  const std::int64_t left = FitSpan(window.left, width, workArea.left, workArea.right);
  const std::int64_t top = FitSpan(window.top, height, workArea.top, workArea.bottom);
  Rect fitted;
  fitted.left = static_cast<std::int32_t>(left);
  fitted.top = static_cast<std::int32_t>(top);
  fitted.right = static_cast<std::int32_t>(left + width);
  fitted.bottom = static_cast<std::int32_t>(top + height);
  return fitted;
}
