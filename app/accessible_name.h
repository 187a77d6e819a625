#pragma once
// Names that screen readers read for controls without a text of their own.
#include <windows.h>

// Gives `control` the string-table text `stringId` as its accessible name.
// Answers whether the system took it (systems without the accessibility
// property service, such as Windows 98 without its update, do not).
bool SetAccessibleName(HWND control, UINT stringId);

// Drops the names given to `control`; called before it is destroyed.
void ClearAccessibleName(HWND control);
