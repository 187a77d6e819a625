#include "tray/core/tray_rect.h"

#include <cstdint>
#include <cstring>

namespace {

// Distance of the animation's target from the taskbar's far end.
constexpr std::int32_t kTargetFar = 100;
constexpr std::int32_t kTargetNear = 16;
// Size of the work-area corner used when the shell tells nothing.
constexpr std::int32_t kCornerWidth = 150;
constexpr std::int32_t kCornerHeight = 30;
// A clock whose bottom is more than this above the area's bottom sits above the icons.
constexpr std::int32_t kClockAboveMargin = 5;

// a - b, held within the 32-bit range, so that no reported rectangle can overflow.
std::int32_t Minus(std::int32_t a, std::int32_t b) {
  const std::int64_t d = static_cast<std::int64_t>(a) - b;
  if (d < INT32_MIN) return INT32_MIN;
  if (d > INT32_MAX) return INT32_MAX;
  return static_cast<std::int32_t>(d);
}

bool FromTaskbarPosition(std::uint32_t edge, const Rect& rc, Rect& out) {
  switch (edge) {
    case kEdgeLeft:
    case kEdgeRight:
      out = Rect{rc.left, Minus(rc.bottom, kTargetFar), rc.right, Minus(rc.bottom, kTargetNear)};
      return true;
    case kEdgeTop:
    case kEdgeBottom:
      out = Rect{Minus(rc.right, kTargetFar), rc.top, Minus(rc.right, kTargetNear), rc.bottom};
      return true;
    default:
      return false;
  }
}

}  // namespace

bool ClipToIconArea(const char* className, const Rect& child, Rect& area) {
  if (className == nullptr) return true;
  if (std::strcmp(className, "TrayNotifyWnd") == 0) {
    area = child;
    return true;
  }
  if (std::strcmp(className, "TrayClockWClass") == 0) {
    if (child.bottom < Minus(area.bottom, kClockAboveMargin)) {
      area.top = child.bottom;
    } else {
      area.right = child.left;
    }
    return false;
  }
  return true;
}

Rect GetTrayWindowRect(TrayGeometrySource& source) {
  Rect out;
  if (source.FindTaskbar(out)) {
    source.EnumTaskbarDescendants(
        [&out](const char* className, const Rect& child) { return ClipToIconArea(className, child, out); });
    return out;
  }
  std::uint32_t edge = 0;
  Rect taskbar;
  if (source.QueryTaskbarPosition(edge, taskbar) && FromTaskbarPosition(edge, taskbar, out)) {
    return out;
  }
  out = source.WorkArea();
  out.left = Minus(out.right, kCornerWidth);
  out.top = Minus(out.bottom, kCornerHeight);
  return out;
}
