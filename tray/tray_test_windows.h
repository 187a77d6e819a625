#pragma once
// Windows that the tray tests work on, and small helpers around them.
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

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

// A window of the taskbar's class, first in line for the shell calls, on a
// thread of its own that answers nothing until Release() or for `hangMs`: a
// hung shell. Counts the notify-icon records that reach it.
class HungTaskbar {
 public:
  explicit HungTaskbar(DWORD hangMs = INFINITE) : m_hangMs(hangMs), m_thread([this] { Run(); }) {
    while (!m_ready) ::Sleep(5);
  }
  ~HungTaskbar() { Release(); }
  HungTaskbar(const HungTaskbar&) = delete;
  HungTaskbar& operator=(const HungTaskbar&) = delete;

  // Ends the hang: the thread answers what waited, then the window goes.
  void Release() {
    if (!m_thread.joinable()) return;
    ::SetEvent(m_release);
    m_thread.join();
    ::CloseHandle(m_release);
  }
  static int RecordsSeen() { return s_records; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COPYDATA) ++s_records;
    return ::DefWindowProcA(hwnd, msg, wp, lp);
  }
  void Run() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &HungTaskbar::Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "Shell_TrayWnd";
    ::RegisterClassA(&wc);
    HWND taskbar = ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 0, 0,
                                     nullptr, nullptr, wc.hInstance, nullptr);
    m_ready = true;
    ::WaitForSingleObject(m_release, m_hangMs);  // the hang: no message is taken
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    ::DestroyWindow(taskbar);
    ::UnregisterClassA("Shell_TrayWnd", wc.hInstance);
  }

  HANDLE m_release = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD m_hangMs;
  std::atomic<bool> m_ready{false};
  std::thread m_thread;
  static inline std::atomic<int> s_records{0};
};
