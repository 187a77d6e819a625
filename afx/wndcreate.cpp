#include "afx/wndcreate.h"

#include <cstdio>

std::string AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  char name[64];
  std::snprintf(name, sizeof name, "Afx:%p:%x:%p:%p:%p", static_cast<void*>(instance), classStyle,
                static_cast<void*>(cursor), static_cast<void*>(background), static_cast<void*>(icon));
  WNDCLASSA existing;
  if (::GetClassInfoA(instance, name, &existing)) return name;
  WNDCLASSA wc = {};
  wc.style = classStyle;
  // The object's own procedure takes over once the window is bound to it.
  wc.lpfnWndProc = ::DefWindowProcA;
  wc.hInstance = instance;
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  wc.hIcon = icon;
  wc.lpszClassName = name;
  ::RegisterClassA(&wc);
  return name;
}

BOOL AfxCreateWindowEx(CWnd& wnd, DWORD exStyle, const std::string& className, const char* windowName,
                       DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu,
                       void* param) {
  if (wnd.m_hWnd) return FALSE;
  HWND hwnd = ::CreateWindowExA(exStyle, className.c_str(), windowName, style, x, y, width, height, parent,
                                menu, ::GetModuleHandleA(nullptr), param);
  if (!hwnd) return FALSE;
  if (!wnd.SubclassWindow(hwnd)) {
    ::DestroyWindow(hwnd);
    return FALSE;
  }
  return TRUE;
}

BOOL AfxDestroyWindow(CWnd& wnd) {
  HWND hwnd = wnd.m_hWnd;
  if (!hwnd) return FALSE;
  const BOOL destroyed = ::DestroyWindow(hwnd);
  // A window already gone, or owned by another thread, still lets go of the object.
  if (wnd.m_hWnd) wnd.UnsubclassWindow();
  return destroyed;
}

BOOL AfxModifyStyle(HWND hwnd, DWORD remove, DWORD add) {
  const DWORD style = static_cast<DWORD>(::GetWindowLongA(hwnd, GWL_STYLE));
  const DWORD changed = (style & ~remove) | add;
  if (changed == style) return FALSE;
  ::SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(changed));
  return TRUE;
}
