#pragma once
// Plain windows made by the class layer: window classes registered on demand,
// and creating and destroying a window bound to a CWnd object.
#include <windows.h>

#include <string>

#include "afx/wnd.h"

// Registers (once per set of arguments) a window class with the given class
// style, cursor, background brush and icon, and answers its name.
std::string AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                                HICON icon = nullptr);

// Creates a window and binds it to `wnd`, which must not hold one yet. The
// window's messages reach the object from the first message after creation.
BOOL AfxCreateWindowEx(CWnd& wnd, DWORD exStyle, const std::string& className, const char* windowName,
                       DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu,
                       void* param = nullptr);

// Destroys the window bound to `wnd`; the object is detached afterwards.
BOOL AfxDestroyWindow(CWnd& wnd);

// Changes style bits only: no repositioning, no repaint. Answers whether the
// style changed.
BOOL AfxModifyStyle(HWND hwnd, DWORD remove, DWORD add);
