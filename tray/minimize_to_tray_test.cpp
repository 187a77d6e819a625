// Hiding windows into the tray and bringing them back, under Wine's desktop,
// and the Win32 side of the tray rectangle over windows made here.
#include "tray/minimize_to_tray.h"

#include <gtest/gtest.h>

#include <ostream>

#include "afx/app.h"
#include "tray/core/tray_rect.h"
#include "tray/shell_tray_geometry.h"
#include "tray/tray_test_windows.h"

bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
void PrintTo(const RECT& r, std::ostream* os) {
  *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
void PrintTo(const Rect& r, std::ostream* os) {
  *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

RECT WindowRect(HWND hwnd) {
  RECT r = {};
  ::GetWindowRect(hwnd, &r);
  return r;
}

HWND ParentOf(HWND hwnd) { return ::GetAncestor(hwnd, GA_PARENT); }

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(::GetWindowLongA(hwnd, GWL_STYLE)); }

class MinimizeToTrayTest : public ::testing::TestWithParam<BOOL> {};

TEST_P(MinimizeToTrayTest, HidesUnderTheOwnerAndComesBackInFrontAtTheSamePlace) {
  const BOOL force = GetParam();
  TestWindow window;
  ::SetForegroundWindow(window.m_hWnd);
  PumpMessages();
  const RECT place = WindowRect(window.m_hWnd);

  MinimizeToTray(&window, force);
  EXPECT_FALSE(::IsWindowVisible(window.m_hWnd));
  EXPECT_EQ(StyleOf(window.m_hWnd) & WS_VISIBLE, 0u);
  const HWND owner = ParentOf(window.m_hWnd);
  ASSERT_NE(owner, ::GetDesktopWindow());
  EXPECT_TRUE(::IsWindow(owner));
  EXPECT_FALSE(::IsWindowVisible(owner));
  EXPECT_EQ(StyleOf(owner) & (WS_POPUP | WS_CHILD), DWORD(WS_POPUP));
  EXPECT_EQ(ParentOf(owner), ::GetDesktopWindow());
  EXPECT_EQ(WindowRect(window.m_hWnd), place);

  // Every window in the tray shares the one owner.
  TestWindow second(WS_POPUP | WS_CAPTION | WS_VISIBLE, WS_EX_APPWINDOW, {500, 300, 700, 450});
  MinimizeToTray(&second, force);
  EXPECT_EQ(ParentOf(second.m_hWnd), owner);

  window.paints = 0;
  RestoreFromTray(&window, force);
  EXPECT_TRUE(::IsWindowVisible(window.m_hWnd));
  EXPECT_EQ(ParentOf(window.m_hWnd), ::GetDesktopWindow());
  EXPECT_EQ(WindowRect(window.m_hWnd), place);
  EXPECT_GE(window.paints, 1);  // repainted before the call returned
  RECT stale;
  EXPECT_FALSE(::GetUpdateRect(window.m_hWnd, &stale, FALSE));
  EXPECT_EQ(::GetForegroundWindow(), window.m_hWnd);
  EXPECT_EQ(::GetActiveWindow(), window.m_hWnd);
  EXPECT_FALSE(::IsWindowVisible(second.m_hWnd));
  EXPECT_TRUE(::IsWindow(owner));  // lives on until the exit releases it
}

TEST(ReleaseTrayOwner, GivesHiddenWindowsBackToTheDesktopAndDestroysTheOwner) {
  TestWindow window;
  TestWindow second(WS_POPUP | WS_CAPTION | WS_VISIBLE, WS_EX_APPWINDOW, {500, 300, 700, 450});
  MinimizeToTray(&window, FALSE);
  MinimizeToTray(&second, FALSE);
  const HWND owner = ParentOf(window.m_hWnd);
  ASSERT_NE(owner, ::GetDesktopWindow());

  ReleaseTrayOwner();
  EXPECT_FALSE(::IsWindow(owner));
  for (HWND hwnd : {window.m_hWnd, second.m_hWnd}) {
    EXPECT_TRUE(::IsWindow(hwnd)) << "destroyed with the owner";
    EXPECT_EQ(ParentOf(hwnd), ::GetDesktopWindow());
    EXPECT_FALSE(::IsWindowVisible(hwnd));
  }
  ReleaseTrayOwner();  // nothing left: no effect

  // A later hide makes a new owner.
  MinimizeToTray(&window, FALSE);
  const HWND next = ParentOf(window.m_hWnd);
  EXPECT_NE(next, ::GetDesktopWindow());
  EXPECT_TRUE(::IsWindow(next));
  ReleaseTrayOwner();
  EXPECT_FALSE(::IsWindow(next));
}

// taskkill without /F closes every top-level window: the owner then asks the
// main window to exit, and keeps the windows in the tray alive meanwhile.
TEST(TrayOwner, CloseRequestAsksTheMainWindowToExitAndKeepsTheHiddenWindows) {
  TestWindow mainWindow;
  CWinApp* app = AfxGetApp();
  ASSERT_NE(app, nullptr);
  CWnd* previousMain = app->m_pMainWnd;
  app->m_pMainWnd = &mainWindow;
  TestWindow window;
  MinimizeToTray(&window, FALSE);
  const HWND owner = ParentOf(window.m_hWnd);
  ASSERT_NE(owner, ::GetDesktopWindow());
  PumpMessages();

  EXPECT_EQ(::SendMessageA(owner, WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(::IsWindow(owner));
  EXPECT_TRUE(::IsWindow(window.m_hWnd));
  EXPECT_EQ(ParentOf(window.m_hWnd), owner);
  MSG msg;
  ASSERT_TRUE(::PeekMessageA(&msg, mainWindow.m_hWnd, WM_COMMAND, WM_COMMAND, PM_REMOVE));
  EXPECT_EQ(msg.wParam, WPARAM(AFX_ID_APP_EXIT));
  EXPECT_FALSE(::PeekMessageA(&msg, mainWindow.m_hWnd, WM_COMMAND, WM_COMMAND, PM_REMOVE));
  app->m_pMainWnd = previousMain;
  ReleaseTrayOwner();
}

TEST_P(MinimizeToTrayTest, RestoringAShownWindowBringsItToTheFront) {
  const BOOL force = GetParam();
  TestWindow window;
  TestWindow other(WS_POPUP | WS_CAPTION | WS_VISIBLE, WS_EX_APPWINDOW, {300, 200, 600, 500});
  ::SetForegroundWindow(other.m_hWnd);
  PumpMessages();
  ASSERT_EQ(::GetForegroundWindow(), other.m_hWnd);
  const RECT place = WindowRect(window.m_hWnd);

  RestoreFromTray(&window, force);
  EXPECT_TRUE(::IsWindowVisible(window.m_hWnd));
  EXPECT_EQ(ParentOf(window.m_hWnd), ::GetDesktopWindow());
  EXPECT_EQ(WindowRect(window.m_hWnd), place);
  EXPECT_EQ(::GetForegroundWindow(), window.m_hWnd);
  EXPECT_EQ(::GetActiveWindow(), window.m_hWnd);
}

// Hidden on a monitor that has gone since: it comes back onto the nearest
// monitor's work area, at its size.
TEST_P(MinimizeToTrayTest, AWindowWhoseMonitorIsGoneComesBackOnTheNearestOne) {
  const BOOL force = GetParam();
  TestWindow window(WS_POPUP | WS_CAPTION | WS_VISIBLE, WS_EX_APPWINDOW, {100, 100, 420, 340});
  MinimizeToTray(&window, force);
  const HWND owner = ParentOf(window.m_hWnd);
  // Its place as the owner keeps it, far right of and below every screen.
  RECT away = {5000, 4000, 5320, 4240};
  ::MapWindowPoints(nullptr, owner, reinterpret_cast<POINT*>(&away), 2);
  ::SetWindowPos(window.m_hWnd, nullptr, away.left, away.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_EQ(WindowRect(window.m_hWnd).left, 5000);

  RestoreFromTray(&window, force);
  const RECT place = WindowRect(window.m_hWnd);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  ASSERT_TRUE(::GetMonitorInfoA(::MonitorFromRect(&place, MONITOR_DEFAULTTONULL), &info)) << "on no monitor";
  EXPECT_EQ(place.right, info.rcWork.right);
  EXPECT_EQ(place.bottom, info.rcWork.bottom);
  EXPECT_EQ(place.right - place.left, 320);
  EXPECT_EQ(place.bottom - place.top, 240);
  EXPECT_TRUE(::IsWindowVisible(window.m_hWnd));
}

INSTANTIATE_TEST_SUITE_P(SystemSettingOrForced, MinimizeToTrayTest, ::testing::Values(FALSE, TRUE));

// A taskbar of this process, with the shell's class names below it: the
// clock inside the notification area, as the shell keeps it.
class FakeTaskbar {
 public:
  FakeTaskbar(RECT notifyArea, RECT clock) {
    Register(kTaskbarClass);
    Register("TrayNotifyWnd");
    Register("TrayClockWClass");
    Register("ToolbarWindow32Fake");
    m_taskbar = ::CreateWindowExA(0, kTaskbarClass, "", WS_POPUP, 0, 738, 1024, 30, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    Child("ToolbarWindow32Fake", m_taskbar, {60, 2, 700, 28});
    // Children take client coordinates; the taskbar has no frame, so the
    // client origin is the window's.
    const RECT areaInBar = {notifyArea.left, notifyArea.top - 738, notifyArea.right, notifyArea.bottom - 738};
    HWND area = Child("TrayNotifyWnd", m_taskbar, areaInBar);
    Child("TrayClockWClass", area,
          {clock.left - notifyArea.left, clock.top - notifyArea.top, clock.right - notifyArea.left,
           clock.bottom - notifyArea.top});
  }
  ~FakeTaskbar() { ::DestroyWindow(m_taskbar); }

  static constexpr const char* kTaskbarClass = "VaroTestTaskbar";

 private:
  static void Register(const char* name) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = name;
    ::RegisterClassA(&wc);
  }
  static HWND Child(const char* className, HWND parent, RECT r) {
    return ::CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, parent, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  }
  HWND m_taskbar;
};

TEST(ShellTrayGeometry, WalksTheTaskbarsDescendantsParentsFirst) {
  const RECT area = {850, 740, 1022, 766};
  {
    // The clock inside the notification area, at its right end.
    FakeTaskbar bar(area, {980, 742, 1020, 764});
    ShellTrayGeometry shell(FakeTaskbar::kTaskbarClass);
    EXPECT_EQ(GetTrayWindowRect(shell), (Rect{850, 740, 980, 766}));
  }
  {
    // A clock above the icons cuts the top instead.
    FakeTaskbar bar(area, {860, 741, 1020, 750});
    ShellTrayGeometry shell(FakeTaskbar::kTaskbarClass);
    EXPECT_EQ(GetTrayWindowRect(shell), (Rect{850, 750, 1022, 766}));
  }
}

TEST(ShellTrayGeometry, WineDesktopHasATaskbarWithoutNotificationAreaWindows) {
  HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr);
  if (!taskbar) GTEST_SKIP() << "no taskbar on this desktop";
  RECT fromShell;
  GetTrayWindowRect(&fromShell);
  RECT expected = WindowRect(taskbar);
  // Wine's taskbar has neither "TrayNotifyWnd" nor "TrayClockWClass" below
  // it, so the whole taskbar is the target; a shell with them cuts it down.
  if (::FindWindowExA(taskbar, nullptr, "TrayNotifyWnd", nullptr) == nullptr) {
    EXPECT_EQ(fromShell, expected);
  } else {
    EXPECT_GE(fromShell.left, expected.left);
    EXPECT_LE(fromShell.right, expected.right);
  }
}

}  // namespace
