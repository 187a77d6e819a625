#pragma once
// Opens the help file beside the executable through the HTML Help control.
#include <windows.h>

#include "app/help_control_loader.h"

// The help command: the help file's default topic, owned by the desktop.
void ShowHelp();

// Loads the control when needed and calls its entry point with the four
// values unchanged; null when the control or its entry point cannot be had.
// After a failed load, no later call tries to load it again.
HWND HtmlHelpLoader(HWND owner, const char* file, UINT command, DWORD data);

// Reads the control's registered file path (the default value of its
// in-process server key under HKEY_CLASSES_ROOT).
BOOL FindHelpControlPath(char (&path)[kHelpControlPathSize]);

// The same read under any root and key. The value must fit with its
// terminating NUL; its type is not looked at and it is used unexpanded.
BOOL ReadHelpControlPath(HKEY root, const char* subKey, char (&path)[kHelpControlPathSize]);
