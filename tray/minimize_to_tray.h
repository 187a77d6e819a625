#pragma once
// Hiding a top-level window into the notification area and bringing it back,
// with the system's caption animation between the window and the tray.
// A window in the tray is a child of one hidden owner window with its
// visible bit clear: it leaves the screen and the taskbar, and keeps its
// place, size and contents.
#include "afx/wnd.h"

void MinimizeToTray(CWnd* window, BOOL forceAnimation);
// Brings the window back at its place, moved onto the nearest monitor's work
// area when that place is no longer on a screen.
void RestoreFromTray(CWnd* window, BOOL forceAnimation);

// Where the animation runs to or from: the notification area without its
// clock, else a spot near the taskbar's end, else the work area's corner.
void GetTrayWindowRect(RECT* out);
// The system's setting for animating minimise and restore; off when the
// setting cannot be read.
BOOL IsMinimizeAnimationOn();
// Creates the owner window on first use and re-parents `window` under it.
BOOL AttachToTrayOwner(CWnd* window);
// At exit, while the program still runs: gives every window in the tray back
// to the desktop, still hidden, and destroys the owner window, so that static
// teardown has no window left to destroy.
void ReleaseTrayOwner();
