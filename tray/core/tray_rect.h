#pragma once
#include "tray/core/tray_geometry.h"

// The screen rectangle that the minimise-to-tray animation runs to or from:
// the notification area without the clock when the taskbar window answers,
// else a spot near the end of the taskbar from the shell's query, else the
// 150 x 30 pixel bottom-right corner of the work area. A query that reports
// an edge other than 0 to 3 counts as not answering.
Rect GetTrayWindowRect(TrayGeometrySource& source);

// One step of the walk over the taskbar's descendants. The notification area
// ("TrayNotifyWnd") becomes the area; the clock ("TrayClockWClass") cuts it:
// off the top when the clock's bottom lies more than 5 pixels above the
// area's bottom, else off the right at the clock's left edge, and the walk
// stops there. Class names compare exactly. Answers whether to go on.
bool ClipToIconArea(const char* className, const Rect& child, Rect& area);
