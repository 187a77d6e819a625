// The tray icon against Wine's shell: the add, the re-adds, the delete, the
// notifications and the menu they open.
#include "tray/system_tray.h"

#include <gtest/gtest.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "afx/app.h"
#include "afx/menu.h"
#include "res/resource.h"
#include "tray/tray_test_windows.h"

namespace {

constexpr UINT kCallback = 0x80F1;
constexpr UINT kIconId = IDR_TRAYMENU;
const char kTip[] = "\x93\x64\x8C\xB9\x83\x5E\x83\x43\x83\x7D\x81\x5B";  // 電源タイマー in code page 932

// Opens the tray object's fields to the tests.
class ProbeTray : public CSystemTray {
 public:
  using CSystemTray::EndAnimation;
  using CSystemTray::m_animIcons;
  using CSystemTray::m_animIndex;
  using CSystemTray::m_animSeconds;
  using CSystemTray::m_animStart;
  using CSystemTray::m_animTimerId;
  using CSystemTray::m_balloonCapable;
  using CSystemTray::m_iconBeforeAnim;
  using CSystemTray::m_iconData;
  using CSystemTray::m_state;

  BOOL Init(CWnd* parent, const char* tip = kTip, const char* balloon = nullptr,
            const char* balloonTitle = nullptr) {
    return InitTray(parent, kCallback, tip, Icon(), kIconId, balloon, balloonTitle, NIIF_INFO, 10);
  }
  static HICON Icon() { return ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME)); }
};

// Makes `window` the main window for as long as it lives.
class MainWindowScope {
 public:
  explicit MainWindowScope(CWnd* window) : m_previous(AfxGetApp()->m_pMainWnd) { AfxGetApp()->m_pMainWnd = window; }
  ~MainWindowScope() { AfxGetApp()->m_pMainWnd = m_previous; }

 private:
  CWnd* m_previous;
};

// Takes what was posted to `hwnd` in the message range; paints and timers stay.
std::vector<MSG> TakePosted(HWND hwnd, UINT first, UINT last) {
  std::vector<MSG> taken;
  MSG msg;
  while (::PeekMessageA(&msg, hwnd, first, last, PM_REMOVE | PM_QS_POSTMESSAGE)) taken.push_back(msg);
  return taken;
}

struct Flags {
  bool hidden, deleted, pending;
};
Flags FlagsOf(const ProbeTray& tray) {
  return {tray.m_state.iconHidden(), tray.m_state.iconDeleted(), tray.m_state.readdPending()};
}
void ExpectFlags(const ProbeTray& tray, Flags expected) {
  const Flags f = FlagsOf(tray);
  EXPECT_EQ(f.hidden, expected.hidden);
  EXPECT_EQ(f.deleted, expected.deleted);
  EXPECT_EQ(f.pending, expected.pending);
}

TEST(TrayMenuResource, OnePopupWithFiveItemsInJapanese) {
  HRSRC japanese = ::FindResourceExA(AfxGetResourceHandle(), MAKEINTRESOURCEA(4) /* RT_MENU */,
                                     MAKEINTRESOURCEA(IDR_TRAYMENU), MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
  EXPECT_NE(japanese, nullptr);

  CMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDR_TRAYMENU));
  ASSERT_EQ(menu.GetMenuItemCount(), 1);
  CMenu popup = menu.GetSubMenu(0);
  ASSERT_NE(popup.GetSafeHmenu(), nullptr);

  struct Item {
    UINT id;
    const wchar_t* text;  // null: separator
  } const items[] = {
      {ID_TRAY_SHOWTIMER, L"電源タイマープログラム"},
      {0, nullptr},
      {ID_TRAY_REMOTE, L"リモート電源オン"},
      {ID_TRAY_HELP, L"ヘルプ"},
      {ID_APP_EXIT, L"プログラムの終了"},
  };
  ASSERT_EQ(popup.GetMenuItemCount(), 5);
  for (int pos = 0; pos < 5; ++pos) {
    SCOPED_TRACE(pos);
    const Item& want = items[pos];
    const UINT state = ::GetMenuState(popup.GetSafeHmenu(), pos, MF_BYPOSITION);
    EXPECT_EQ((state & MF_SEPARATOR) != 0, want.text == nullptr);
    if (want.text == nullptr) continue;
    EXPECT_EQ(state & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_POPUP), 0u);
    EXPECT_EQ(popup.GetMenuItemID(pos), want.id);
    wchar_t text[64] = {};
    ::GetMenuStringW(popup.GetSafeHmenu(), pos, text, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text), want.text);
  }
}

TEST(SystemTray, InitAddsTheIconForTheParentAndMakesAHiddenTopLevelWindow) {
  TestWindow parent;
  ProbeTray tray;
  ExpectFlags(tray, {true, true, false});
  ASSERT_TRUE(tray.Init(&parent));

  ASSERT_TRUE(::IsWindow(tray.m_hWnd));
  EXPECT_NE(tray.m_hWnd, parent.m_hWnd);
  EXPECT_FALSE(::IsWindowVisible(tray.m_hWnd));
  EXPECT_EQ(::GetAncestor(tray.m_hWnd, GA_PARENT), ::GetDesktopWindow());
  EXPECT_EQ(static_cast<DWORD>(::GetWindowLongA(tray.m_hWnd, GWL_STYLE)) & (WS_POPUP | WS_CHILD), DWORD(WS_POPUP));

  const NotifyIconData488& rec = tray.m_iconData;
  EXPECT_EQ(rec.cbSize, 488u);
  EXPECT_EQ(rec.hWnd, parent.m_hWnd);
  EXPECT_EQ(rec.uID, kIconId);
  EXPECT_EQ(rec.uFlags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(rec.uCallbackMessage, kCallback);
  EXPECT_EQ(rec.hIcon, ProbeTray::Icon());
  EXPECT_STREQ(rec.szTip, kTip);
  ExpectFlags(tray, {false, false, false});
  EXPECT_TRUE(IconExists(parent.m_hWnd, kIconId));
}

TEST(SystemTray, DeleteRemovesTheIconOnceAndTheDestructorCleansUp) {
  TestWindow parent;
  HWND hidden = nullptr;
  {
    ProbeTray tray;
    ASSERT_TRUE(tray.Init(&parent));
    hidden = tray.m_hWnd;
    EXPECT_TRUE(tray.DeleteTrayIcon());
    EXPECT_FALSE(IconExists(parent.m_hWnd, kIconId));
    ExpectFlags(tray, {true, true, false});
    EXPECT_TRUE(tray.DeleteTrayIcon());  // nothing left to delete

    // A deleted icon stays away, whatever the shell broadcasts.
    ::SendMessageA(hidden, CSystemTray::s_taskbarCreatedMsg, 0, 0);
    ::SendMessageA(hidden, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_FALSE(IconExists(parent.m_hWnd, kIconId));
  }
  EXPECT_FALSE(::IsWindow(hidden));

  {
    ProbeTray tray;
    ASSERT_TRUE(tray.Init(&parent));
    hidden = tray.m_hWnd;
  }
  EXPECT_FALSE(IconExists(parent.m_hWnd, kIconId));
  EXPECT_FALSE(::IsWindow(hidden));
}

// A close request (taskkill without /F, an installer that found the window by
// its class) asks the main window to exit; the window and the icon stay until
// the exit removes them.
TEST(SystemTray, CloseRequestAsksTheMainWindowToExitAndLeavesTheHiddenWindowAlive) {
  TestWindow parent;
  ProbeTray tray;
  ASSERT_TRUE(tray.Init(&parent));
  EXPECT_EQ(ClassNameOf(tray.m_hWnd), kTrayWindowClass);
  EXPECT_EQ(ClassNameOf(tray.m_hWnd), "VaroTimerTray");
  EXPECT_EQ(::FindWindowA("VaroTimerTray", nullptr), tray.m_hWnd);

  {
    MainWindowScope main(&parent);
    TakePosted(parent.m_hWnd, WM_COMMAND, WM_COMMAND);
    EXPECT_EQ(::SendMessageA(tray.m_hWnd, WM_CLOSE, 0, 0), 0);
    ASSERT_TRUE(::IsWindow(tray.m_hWnd));
    const std::vector<MSG> posted = TakePosted(parent.m_hWnd, WM_COMMAND, WM_COMMAND);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].wParam, WPARAM(ID_APP_EXIT));
    EXPECT_EQ(posted[0].lParam, 0);
  }
  // Without a main window nobody can exit: the request is dropped.
  MainWindowScope none(nullptr);
  EXPECT_EQ(::SendMessageA(tray.m_hWnd, WM_CLOSE, 0, 0), 0);
  ASSERT_TRUE(::IsWindow(tray.m_hWnd));
  EXPECT_TRUE(TakePosted(parent.m_hWnd, WM_COMMAND, WM_COMMAND).empty());

  // The window still hears the shell: a lost icon comes back.
  ASSERT_TRUE(DropIcon(parent.m_hWnd, kIconId));
  ::SendMessageA(tray.m_hWnd, CSystemTray::s_taskbarCreatedMsg, 0, 0);
  EXPECT_TRUE(IconExists(parent.m_hWnd, kIconId));
}

TEST(SystemTray, TaskbarCreatedBroughtBackTheLostIconWithTheSameRecord) {
  TestWindow parent;
  ProbeTray tray;
  ASSERT_TRUE(tray.Init(&parent));
  const HICON other = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_RESTART));
  ASSERT_TRUE(tray.ChangeIcon(other));

  ASSERT_TRUE(DropIcon(parent.m_hWnd, kIconId));
  ::SendMessageA(tray.m_hWnd, CSystemTray::s_taskbarCreatedMsg, 0, 0);
  EXPECT_TRUE(IconExists(parent.m_hWnd, kIconId));
  ExpectFlags(tray, {false, false, false});
  EXPECT_EQ(tray.m_iconData.uFlags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(tray.m_iconData.hIcon, other);  // the changed image comes back
  EXPECT_STREQ(tray.m_iconData.szTip, kTip);
  EXPECT_EQ(tray.m_iconData.uCallbackMessage, kCallback);

  // The same broadcast as the shell sends it, to every top-level window.
  ASSERT_TRUE(DropIcon(parent.m_hWnd, kIconId));
  ::PostMessageA(HWND_BROADCAST, CSystemTray::s_taskbarCreatedMsg, 0, 0);
  for (int i = 0; i < 50 && !IconExists(parent.m_hWnd, kIconId); ++i) {
    PumpMessages();
    ::Sleep(20);
  }
  EXPECT_TRUE(IconExists(parent.m_hWnd, kIconId));
}

TEST(SystemTray, OnlyAWorkAreaChangeReAdds) {
  TestWindow parent;
  ProbeTray tray;
  ASSERT_TRUE(tray.Init(&parent));
  ASSERT_TRUE(DropIcon(parent.m_hWnd, kIconId));

  ::SendMessageA(tray.m_hWnd, WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0);
  EXPECT_FALSE(IconExists(parent.m_hWnd, kIconId));
  ::SendMessageA(tray.m_hWnd, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
  EXPECT_TRUE(IconExists(parent.m_hWnd, kIconId));
  ExpectFlags(tray, {false, false, false});
}

TEST(SystemTray, ReAddOfAnIconTheShellStillHoldsKeepsItShown) {
  // A shell may refuse a second add of an icon it still holds, or take it:
  // either way the icon stays shown, nothing is left pending, and the one
  // delete at exit removes it.
  TestWindow parent;
  ProbeTray tray;
  ASSERT_TRUE(tray.Init(&parent));
  ::SendMessageA(tray.m_hWnd, CSystemTray::s_taskbarCreatedMsg, 0, 0);
  ExpectFlags(tray, {false, false, false});
  EXPECT_TRUE(tray.IsIconShown());
  EXPECT_TRUE(IconExists(parent.m_hWnd, kIconId));
  EXPECT_TRUE(tray.DeleteTrayIcon());
  EXPECT_FALSE(IconExists(parent.m_hWnd, kIconId));
}

// A shell that is not up yet: it refuses the first `refusals` adds. With
// `timeOutOnce`, the first add it takes puts the icon up but answers failure.
class LateShellTray : public ProbeTray {
 public:
  explicit LateShellTray(int refusals, bool timeOutOnce = false) : m_refusals(refusals), m_timeOut(timeOutOnce) {}
  int adds = 0;
  std::vector<DWORD> addTicks;

 protected:
  BOOL CallShell(DWORD message) override {
    if (message == NIM_ADD) {
      ++adds;
      addTicks.push_back(::GetTickCount());
      if (m_refusals > 0) return --m_refusals, FALSE;
      if (m_timeOut) {
        m_timeOut = false;
        NotifyIcon(message, m_iconData);
        return FALSE;
      }
    }
    return NotifyIcon(message, m_iconData);
  }

 private:
  int m_refusals;
  bool m_timeOut;
};

// Pumps until `done` holds or `ms` have passed; answers `done`.
template <typename Predicate>
bool PumpUntil(Predicate done, DWORD ms) {
  const DWORD start = ::GetTickCount();
  while (!done() && ::GetTickCount() - start < ms) {
    PumpMessages();
    ::Sleep(20);
  }
  return done();
}

TEST(SystemTrayRetries, RefusedAddsAreTriedAgainOnATimerUntilTheShellTakesOne) {
  TestWindow parent;
  LateShellTray tray(3);
  EXPECT_FALSE(tray.Init(&parent));
  EXPECT_FALSE(tray.IsIconShown());
  EXPECT_FALSE(IconExists(parent.m_hWnd, kIconId));
  ASSERT_TRUE(PumpUntil([&] { return tray.IsIconShown(); }, 20000)) << tray.adds << " adds";
  EXPECT_EQ(tray.adds, 4);
  EXPECT_TRUE(IconExists(parent.m_hWnd, kIconId));
  // The first minute's period: no try came sooner than about two seconds.
  for (size_t i = 1; i < tray.addTicks.size(); ++i) {
    EXPECT_GE(tray.addTicks[i] - tray.addTicks[i - 1], 1900u) << "try " << i;
  }
  // Shown, the timer stops: no further adds.
  PumpUntil([] { return false; }, 2500);
  EXPECT_EQ(tray.adds, 4);
  EXPECT_TRUE(tray.DeleteTrayIcon());
  EXPECT_FALSE(IconExists(parent.m_hWnd, kIconId));
}

TEST(SystemTrayRetries, TaskbarCreatedAddsARefusedIconAtOnce) {
  TestWindow parent;
  LateShellTray tray(1);
  EXPECT_FALSE(tray.Init(&parent));
  ::SendMessageA(tray.m_hWnd, CSystemTray::s_taskbarCreatedMsg, 0, 0);
  EXPECT_EQ(tray.adds, 2);
  EXPECT_TRUE(tray.IsIconShown());
  EXPECT_TRUE(IconExists(parent.m_hWnd, kIconId));
}

TEST(SystemTrayRetries, AnAddThatTimedOutLeavesNoGhostIconAtExit) {
  TestWindow parent;
  {
    LateShellTray tray(0, true);
    EXPECT_FALSE(tray.Init(&parent));
    EXPECT_TRUE(IconExists(parent.m_hWnd, kIconId));  // up, although the add failed
    EXPECT_FALSE(tray.IsIconShown());
  }  // the destructor deletes it, as the exit does
  EXPECT_FALSE(IconExists(parent.m_hWnd, kIconId));

  // The next try finds the icon there and counts it shown.
  LateShellTray tray(0, true);
  EXPECT_FALSE(tray.Init(&parent));
  ASSERT_TRUE(PumpUntil([&] { return tray.IsIconShown(); }, 10000));
  EXPECT_TRUE(tray.DeleteTrayIcon());
  EXPECT_FALSE(IconExists(parent.m_hWnd, kIconId));
}

TEST(SystemTrayRetries, NoTriesAfterTheIconWasDeleted) {
  TestWindow parent;
  LateShellTray tray(1000);
  EXPECT_FALSE(tray.Init(&parent));
  EXPECT_TRUE(tray.DeleteTrayIcon());
  PumpUntil([] { return false; }, 2600);
  ::SendMessageA(tray.m_hWnd, CSystemTray::s_taskbarCreatedMsg, 0, 0);
  EXPECT_EQ(tray.adds, 1);
  EXPECT_FALSE(IconExists(parent.m_hWnd, kIconId));
}

TEST(SystemTray, TipIsCutBeforeADoubleByteCharacterTheBoundWouldSplit) {
  if (::GetACP() != 932) GTEST_SKIP() << "needs code page 932";
  TestWindow parent;
  ProbeTray tray;
  const std::string tip = std::string(126, 'a') + "\x82\xA0" + "b";  // "あ" across byte 127
  ASSERT_TRUE(tray.Init(&parent, tip.c_str()));
  EXPECT_EQ(std::string(tray.m_iconData.szTip), std::string(126, 'a'));
  for (size_t i = 126; i < sizeof tray.m_iconData.szTip; ++i) ASSERT_EQ(tray.m_iconData.szTip[i], '\0') << i;
}

TEST(SystemTray, BalloonFieldsAreFilledOnceAndItsTextClearedAfterTheAdd) {
  TestWindow parent;
  ProbeTray tray;
  if (!tray.m_balloonCapable) GTEST_SKIP() << "shell version without balloons";
  ASSERT_TRUE(tray.Init(&parent, kTip, "balloon text", "title"));
  EXPECT_EQ(tray.m_state.addFlags(), UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO));
  EXPECT_STREQ(tray.m_iconData.szInfo, "");
  EXPECT_STREQ(tray.m_iconData.szInfoTitle, "title");
  EXPECT_EQ(tray.m_iconData.uTimeout, 10000u);
  EXPECT_EQ(tray.m_iconData.dwInfoFlags, DWORD(NIIF_INFO));
}

TEST(SystemTray, WithoutParentTheHiddenWindowTakesTheNotifications) {
  class CountingTray : public ProbeTray {
   public:
    std::vector<std::pair<WPARAM, LPARAM>> seen;
    LRESULT OnIconNotify(WPARAM id, LPARAM mouse) override {
      seen.emplace_back(id, mouse);
      return 7;
    }
  } tray;
  ASSERT_TRUE(tray.Init(nullptr));
  EXPECT_EQ(tray.m_iconData.hWnd, tray.m_hWnd);
  EXPECT_TRUE(IconExists(tray.m_hWnd, kIconId));
  EXPECT_EQ(::SendMessageA(tray.m_hWnd, kCallback, kIconId, WM_MOUSEMOVE), 7);
  ASSERT_EQ(tray.seen.size(), 1u);
  EXPECT_EQ(tray.seen[0].first, WPARAM(kIconId));
  EXPECT_EQ(tray.seen[0].second, LPARAM(WM_MOUSEMOVE));
}

TEST(IconNotify, AnswersWithoutEffectForOtherIdsMissingMainWindowAndOtherMouseMessages) {
  TestWindow target;
  ProbeTray tray;
  ASSERT_TRUE(tray.Init(&target));
  {
    MainWindowScope none(nullptr);
    EXPECT_EQ(tray.OnIconNotify(kIconId, WM_LBUTTONDBLCLK), 0);
  }
  MainWindowScope main(&target);
  TakePosted(target.m_hWnd, 0, 0);  // drop anything queued so far
  struct Case {
    WPARAM id;
    LPARAM mouse;
    LRESULT expected;
  } const cases[] = {
      {kIconId + 1, WM_RBUTTONUP, 0}, {kIconId + 1, WM_LBUTTONDBLCLK, 0}, {kIconId, WM_MOUSEMOVE, 1},
      {kIconId, WM_LBUTTONDOWN, 1},   {kIconId, WM_LBUTTONUP, 1},         {kIconId, WM_RBUTTONDOWN, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(tray.OnIconNotify(c.id, c.mouse), c.expected) << c.id << " " << c.mouse;
  }
  EXPECT_TRUE(TakePosted(target.m_hWnd, 0, 0).empty());
}

TEST(IconNotify, DoubleClickPostsTheFirstItemsCommandToTheForegroundTarget) {
  TestWindow target;
  TestWindow other;
  ProbeTray tray;
  ASSERT_TRUE(tray.Init(&target));
  MainWindowScope main(&target);
  ::SetForegroundWindow(other.m_hWnd);
  TakePosted(target.m_hWnd, 0, 0);

  EXPECT_EQ(tray.OnIconNotify(kIconId, WM_LBUTTONDBLCLK), 1);
  EXPECT_EQ(::GetForegroundWindow(), target.m_hWnd);
  const std::vector<MSG> posted = TakePosted(target.m_hWnd, WM_COMMAND, WM_COMMAND);
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].wParam, WPARAM(ID_TRAY_SHOWTIMER));
  EXPECT_EQ(posted[0].lParam, 0);
}

// What the right-click menu looked like while it was open.
struct OpenMenu {
  bool seen = false;
  int itemCount = -1;
  UINT defaultPosition = UINT(-1);
  RECT place = {};
};
OpenMenu g_openMenu;

void CALLBACK InspectOpenMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND menuWindow = ::FindWindowA("#32768", nullptr);
  if (!menuWindow || !::IsWindowVisible(menuWindow) || g_openMenu.seen) return;
  ::KillTimer(nullptr, timer);
  g_openMenu.seen = true;
  HMENU shown = reinterpret_cast<HMENU>(::SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
  g_openMenu.itemCount = ::GetMenuItemCount(shown);
  g_openMenu.defaultPosition = ::GetMenuDefaultItem(shown, TRUE, 0);
  ::GetWindowRect(menuWindow, &g_openMenu.place);
  ::EndMenu();
}

TEST(IconNotify, RightClickShowsThePopupAtTheCursorAndPostsWmNullAfterIt) {
  TestWindow target;
  ProbeTray tray;
  ASSERT_TRUE(tray.Init(&target));
  MainWindowScope main(&target);
  ::SetCursorPos(200, 150);
  POINT cursor;
  ::GetCursorPos(&cursor);
  TakePosted(target.m_hWnd, 0, 0);

  g_openMenu = OpenMenu{};
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &InspectOpenMenu);
  EXPECT_EQ(tray.OnIconNotify(kIconId, WM_RBUTTONUP), 1);
  ::KillTimer(nullptr, timer);

  ASSERT_TRUE(g_openMenu.seen);
  EXPECT_EQ(g_openMenu.itemCount, 5);
  EXPECT_EQ(g_openMenu.defaultPosition, 0u);
  EXPECT_EQ(g_openMenu.place.left, cursor.x);
  EXPECT_EQ(g_openMenu.place.top, cursor.y);
  EXPECT_EQ(::GetForegroundWindow(), target.m_hWnd);
  EXPECT_EQ(TakePosted(target.m_hWnd, WM_NULL, WM_NULL).size(), 1u);
  EXPECT_TRUE(TakePosted(target.m_hWnd, WM_COMMAND, WM_COMMAND).empty());  // closed without a choice
}

TEST(IconAnimation, TimerStepsThroughTheIconsAndEndsAfterItsLength) {
  TestWindow parent;
  ProbeTray tray;
  ASSERT_TRUE(tray.Init(&parent));
  const HICON first = ProbeTray::Icon();
  const HICON a = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_POWEROFF));
  const HICON b = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_RESTART));
  constexpr UINT_PTR kTimer = 77;

  // Nothing runs: every timer message is ignored.
  ::SendMessageA(tray.m_hWnd, WM_TIMER, 0, 0);
  EXPECT_EQ(tray.m_iconData.hIcon, first);

  tray.m_animIcons = {a, b};
  tray.m_animIndex = 0;
  tray.m_iconBeforeAnim = first;
  tray.m_animSeconds = 10;
  ASSERT_EQ(::SetTimer(tray.m_hWnd, kTimer, 60000, nullptr), kTimer);
  tray.m_animTimerId = kTimer;
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  double today = 0;
  ::SystemTimeToVariantTime(&now, &today);
  tray.m_animStart = today;

  ::SendMessageA(tray.m_hWnd, WM_TIMER, kTimer + 1, 0);  // another timer
  EXPECT_EQ(tray.m_iconData.hIcon, first);
  ::SendMessageA(tray.m_hWnd, WM_TIMER, kTimer, 0);
  EXPECT_EQ(tray.m_animIndex, 1);
  EXPECT_EQ(tray.m_iconData.hIcon, b);
  ::SendMessageA(tray.m_hWnd, WM_TIMER, kTimer, 0);
  EXPECT_EQ(tray.m_animIndex, 0);
  EXPECT_EQ(tray.m_iconData.hIcon, a);
  EXPECT_TRUE(IconExists(parent.m_hWnd, kIconId));

  // Twenty seconds into a ten-second animation: it ends.
  tray.m_animStart = today - 20.0 / 86400.0;
  ::SendMessageA(tray.m_hWnd, WM_TIMER, kTimer, 0);
  EXPECT_EQ(tray.m_animTimerId, 0u);
  EXPECT_EQ(tray.m_iconData.hIcon, first);
  EXPECT_EQ(tray.m_iconBeforeAnim, nullptr);
  EXPECT_FALSE(::KillTimer(tray.m_hWnd, kTimer));  // already killed
  EXPECT_FALSE(tray.EndAnimation());                // nothing left to end
}

}  // namespace
