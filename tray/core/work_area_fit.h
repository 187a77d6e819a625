#pragma once
#include "tray/core/tray_geometry.h"

// Where a window restored from the tray goes: its old place moved, never
// resized, so that it lies inside `workArea` (the work area of the monitor
// nearest to it). A window larger than the work area keeps its top-left
// corner, with its caption, in the work area's top-left corner. A place that
// already fits is answered unchanged.
Rect FitIntoWorkArea(const Rect& window, const Rect& workArea);
