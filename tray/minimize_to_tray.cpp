#include "tray/minimize_to_tray.h"

#include "afx/app.h"
#include "afx/wndcreate.h"
#include "tray/core/tray_rect.h"
#include "tray/core/work_area_fit.h"
#include "tray/shell_tray_geometry.h"

namespace {

// The owner's window: a close request to it (taskkill without /F sends one to
// every top-level window) ends the program as Exit does. Destroyed by it, the
// owner would take every window in the tray along.
class TrayOwnerWindow : public CWnd {
 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_CLOSE) {
      AfxPostAppExit();
      return 0;
    }
    return CWnd::WindowProc(msg, wp, lp);
  }
};

// The hidden owner of every window in the tray. Its window is made on first
// use and destroyed by ReleaseTrayOwner at exit; the destructor only catches
// a program that forgot to.
class TrayOwner {
 public:
  ~TrayOwner() { Release(); }
  void Release() {
    if (!IsLive()) return;
    // Destroying the owner would destroy them too; a dialog's modal loop must
    // end by EndDialog, not by losing its window.
    for (HWND child; (child = ::GetWindow(m_wnd.m_hWnd, GW_CHILD)) != nullptr && ::SetParent(child, nullptr);) {
    }
    AfxDestroyWindow(m_wnd);
  }
  bool IsLive() const { return m_wnd.m_hWnd != nullptr && ::IsWindow(m_wnd.m_hWnd); }
  bool EnsureCreated(const std::string& className) {
    if (IsLive()) return true;
    if (m_wnd.m_hWnd) m_wnd.UnsubclassWindow();  // a window destroyed behind our back
    return AfxCreateWindowEx(m_wnd, 0, className, "", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, nullptr, nullptr) != FALSE;
  }
  HWND hwnd() const { return m_wnd.m_hWnd; }

 private:
  TrayOwnerWindow m_wnd;
};

TrayOwner s_trayOwner;

// The caption's flight between the window and the tray.
constexpr int kCaptionAnimation = IDANI_CAPTION;
// Repaint of frame, background and every child, done at once: a window shown
// again by its style bit alone would otherwise keep a stale client area.
constexpr UINT kRestoreRedraw = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME;
static_assert(kRestoreRedraw == 0x585, "redraw flags of the restore");

bool AnimationApplies(BOOL forceAnimation) { return forceAnimation || IsMinimizeAnimationOn(); }

Rect ToRect(const RECT& r) {
  Rect rect;
  rect.left = r.left;
  rect.top = r.top;
  rect.right = r.right;
  rect.bottom = r.bottom;
  return rect;
}

// Moves a top-level window onto the work area of the monitor nearest to its
// place: the monitor it stood on when it was hidden may be gone (a laptop
// undocked, a screen unplugged), and it would come back out of reach.
void KeepOnAMonitor(HWND hwnd) {
  RECT place = {};
  if (!::GetWindowRect(hwnd, &place)) return;
  HMONITOR monitor = ::MonitorFromRect(&place, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (!monitor || !::GetMonitorInfoA(monitor, &info)) return;
  const Rect fitted = FitIntoWorkArea(ToRect(place), ToRect(info.rcWork));
  if (fitted.left == place.left && fitted.top == place.top) return;
  ::SetWindowPos(hwnd, nullptr, fitted.left, fitted.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void GetTrayWindowRect(RECT* out) {
  ShellTrayGeometry shell;
  const Rect r = GetTrayWindowRect(shell);
  *out = RECT{r.left, r.top, r.right, r.bottom};
}

BOOL IsMinimizeAnimationOn() {
  ANIMATIONINFO info = {};
  info.cbSize = sizeof info;
  if (!::SystemParametersInfoA(SPI_GETANIMATION, sizeof info, &info, 0)) return FALSE;
  return info.iMinAnimate != 0;
}

BOOL AttachToTrayOwner(CWnd* window) {
  const std::string className = AfxRegisterWndClass(0);
  if (!s_trayOwner.EnsureCreated(className)) return FALSE;
  ::SetParent(window->m_hWnd, s_trayOwner.hwnd());
  return TRUE;
}

void ReleaseTrayOwner() { s_trayOwner.Release(); }

void MinimizeToTray(CWnd* window, BOOL forceAnimation) {
  if (AnimationApplies(forceAnimation)) {
    RECT from = {};
    RECT to = {};
    ::GetWindowRect(window->m_hWnd, &from);
    GetTrayWindowRect(&to);
    ::DrawAnimatedRects(window->m_hWnd, kCaptionAnimation, &from, &to);
  }
  AttachToTrayOwner(window);
  AfxModifyStyle(window->m_hWnd, WS_VISIBLE, 0);
}

void RestoreFromTray(CWnd* window, BOOL forceAnimation) {
  HWND hwnd = window->m_hWnd;
  const bool animate = AnimationApplies(forceAnimation);
  RECT from = {};
  if (animate) GetTrayWindowRect(&from);
  ::SetParent(hwnd, nullptr);
  KeepOnAMonitor(hwnd);
  if (animate) {
    RECT to = {};
    ::GetWindowRect(hwnd, &to);
    ::DrawAnimatedRects(hwnd, kCaptionAnimation, &from, &to);
  }
  AfxModifyStyle(hwnd, 0, WS_VISIBLE);
  ::RedrawWindow(hwnd, nullptr, nullptr, kRestoreRedraw);
  if (s_trayOwner.IsLive()) ::SetActiveWindow(s_trayOwner.hwnd());
  ::SetActiveWindow(hwnd);
  ::SetForegroundWindow(hwnd);
}
