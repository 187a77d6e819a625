#pragma once
// Windows that the tray tests work on, and small helpers around them.
#include <windows.h>

#include <string>

#include "afx/wndcreate.h"
#include "tray/notify_icon_data.h"

// A top-level window of the class layer's plain class; counts its paints.
class TestWindow : public CWnd {
 public:
  explicit TestWindow(DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                      DWORD exStyle = WS_EX_APPWINDOW, RECT place = {100, 100, 420, 340}) {
    AfxCreateWindowEx(*this, exStyle, AfxRegisterWndClass(0, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)),
                      "tray test", style, place.left, place.top, place.right - place.left,
                      place.bottom - place.top, nullptr, nullptr);
  }
  ~TestWindow() override { AfxDestroyWindow(*this); }

  int paints = 0;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_PAINT) ++paints;
    return CWnd::WindowProc(msg, wp, lp);
  }
};

// Dispatches what is waiting in this thread's queue.
inline void PumpMessages() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

// Asks the shell whether it holds the icon (owner, id): only an icon that
// exists can be modified.
inline bool IconExists(HWND owner, UINT id) {
  NotifyIconData488 probe = {};
  probe.cbSize = sizeof probe;
  probe.hWnd = owner;
  probe.uID = id;
  return NotifyIcon(NIM_MODIFY, probe) != FALSE;
}

// Removes the icon behind its owner's back, as a restarted shell would lose it.
inline bool DropIcon(HWND owner, UINT id) {
  NotifyIconData488 record = {};
  record.cbSize = sizeof record;
  record.hWnd = owner;
  record.uID = id;
  return NotifyIcon(NIM_DELETE, record) != FALSE;
}

inline std::string ClassNameOf(HWND hwnd) {
  char name[256] = {};
  ::GetClassNameA(hwnd, name, sizeof name);
  return name;
}
