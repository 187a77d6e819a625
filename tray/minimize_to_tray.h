#pragma once
// Hiding a window into the notification area and bringing it back.
#include "afx/wnd.h"

void MinimizeToTray(CWnd* window, BOOL forceAnimation);
void RestoreFromTray(CWnd* window, BOOL forceAnimation);
