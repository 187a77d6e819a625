// The countdown window, run modally while a helper thread watches and drives
// it. Every countdown here answers the power step through a seam: a
// regression that reached zero would fail the test, not end the session.
#include "app/countdown_dlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "afx/app.h"
#include "afx/wndcreate.h"
#include "app/dpi_pictures.h"
#include "app/modal_test_support.h"
#include "app/power_action.h"
#include "res/resource.h"

namespace {

const char kCaptionUtf8[] = "Varo\u3000電源タイマ\u3000Program";

// Counts from `start` and answers the power step with `refusal` instead of
// asking the system.
// How far the seam countdowns' tick count is ahead of the system's:
// SendLateTicks moves it on.
std::atomic<std::uint32_t> g_seamAheadMs{0};

class SeamCountdown : public CCountdownDlg {
 public:
  explicit SeamCountdown(CWnd* parent, std::uint32_t refusal = 0, std::int32_t start = 30)
      : CCountdownDlg(parent), m_refusal(refusal), m_start(start) {}
  int powerCalls = 0;

 protected:
  std::int32_t StartCount() const override { return m_start; }
  std::uint32_t CallPowerAction() override { return ++powerCalls, m_refusal; }
  std::uint32_t NowMs() const override { return ::GetTickCount() + g_seamAheadMs; }

 private:
  std::uint32_t m_refusal;
  std::int32_t m_start;
};

INT_PTR RunCountdown(SeamCountdown& dialog, std::uint32_t action, const std::function<void(HWND)>& watch) {
  dialog.m_action = action;
  return RunModalWatched(dialog, AnsiFromUtf8(kCaptionUtf8), watch);
}

INT_PTR RunCountdown(std::uint32_t action, const std::function<void(HWND)>& watch) {
  SeamCountdown dialog(nullptr);
  const INT_PTR result = RunCountdown(dialog, action, watch);
  EXPECT_EQ(dialog.powerCalls, 0);
  return result;
}

constexpr UINT_PTR kCountdownTimerId = 123;

// Ticks of the countdown's timer that reach the window after its end, as
// ones already queued do. Sent, so each is handled before the next.
// Ticks a second apart on the seam clock, after one that starts the count
// if the window's own start has not come yet. The countdown counts time, not
// messages: only these may count a second each.
void SendLateTicks(HWND hwnd, int count = 3) {
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutA(hwnd, WM_TIMER, kCountdownTimerId, 0, SMTO_NORMAL, 10000, &ignored);
  for (int i = 0; i < count; ++i) {
    g_seamAheadMs += 1000;
    ::SendMessageTimeoutA(hwnd, WM_TIMER, kCountdownTimerId, 0, SMTO_NORMAL, 10000, &ignored);
  }
}

void PostKey(HWND hwnd, WPARAM key) {
  HWND focus = ::GetDlgItem(hwnd, IDC_COUNTDOWN_CANCEL);
  ::PostMessageA(focus, WM_KEYDOWN, key, 1);
  ::PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
}

struct IconCase {
  std::uint32_t action;
  UINT iconId;
};

class CountdownIcon : public ::testing::TestWithParam<IconCase> {};

TEST_P(CountdownIcon, OpensTopmostWithTheActionsIconAndThirty) {
  const IconCase c = GetParam();
  const INT_PTR result = RunCountdown(c.action, [&](HWND hwnd) {
    // The image drawn for the icon's place, the one the timer window shows too.
    const HICON expected = SharedIconAtSize(::GetModuleHandleA(nullptr), c.iconId, LargeIconSizeFor(hwnd));
    ASSERT_NE(expected, nullptr);
    EXPECT_EQ(WindowTextOf(::GetDlgItem(hwnd, IDC_COUNT)), "30");
    EXPECT_TRUE(::GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    const HICON shown =
        reinterpret_cast<HICON>(::SendMessageA(::GetDlgItem(hwnd, IDC_ACTIONICON), STM_GETICON, 0, 0));
    EXPECT_EQ(shown, expected) << "action 0x" << std::hex << c.action;
    GUITHREADINFO gui = {sizeof gui};
    ASSERT_TRUE(::GetGUIThreadInfo(::GetWindowThreadProcessId(hwnd, nullptr), &gui));
    EXPECT_EQ(gui.hwndFocus, ::GetDlgItem(hwnd, IDC_COUNTDOWN_CANCEL));
    ::PostMessageA(::GetDlgItem(hwnd, IDC_COUNTDOWN_CANCEL), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(result, 0);
}

// The first of 0x10, 0x20, 0x40 present decides; none keeps power off.
INSTANTIATE_TEST_SUITE_P(Actions, CountdownIcon,
                         ::testing::Values(IconCase{0x10, IDI_POWEROFF}, IconCase{0x20, IDI_LOGOFF},
                                           IconCase{0x40, IDI_RESTART}, IconCase{0x60, IDI_LOGOFF},
                                           IconCase{0x70, IDI_POWEROFF}, IconCase{0x00, IDI_POWEROFF},
                                           IconCase{0x180, IDI_POWEROFF}));

// Enter, Space and Esc all end it at once. Which result Enter gives depends on
// whether the dialog manager made the focused Cancel the default button (its
// own command, 0) or not (IDOK); the result is not used, and neither path
// runs the power step: the count starts at 2 here, and ticks that come after
// the end (sent to the window before its loop returns) must not count.
TEST(Countdown, KeysEndItWithoutThePowerStep) {
  struct KeyCase {
    WPARAM key;
    std::vector<INT_PTR> results;
  };
  const KeyCase cases[] = {{VK_RETURN, {0, IDOK}}, {VK_SPACE, {0}}, {VK_ESCAPE, {IDCANCEL}}};
  for (const KeyCase& c : cases) {
    SeamCountdown dialog(nullptr, 0, 2);
    const INT_PTR result = RunCountdown(dialog, 0x10, [&](HWND hwnd) {
      PostKey(hwnd, c.key);
      for (int i = 0; i < 400 && ::IsWindowVisible(hwnd); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
      SendLateTicks(hwnd);
    });
    EXPECT_NE(std::find(c.results.begin(), c.results.end(), result), c.results.end())
        << "key " << c.key << " gave " << result;
    EXPECT_EQ(dialog.powerCalls, 0) << "key " << c.key;
  }
}

TEST(Countdown, CountsDownOncePerSecondWithATrailingSpace) {
  using Clock = std::chrono::steady_clock;
  std::vector<std::string> seen;
  Clock::duration stepApart{};  // from the first "29 " seen to the first "28 "
  const INT_PTR result = RunCountdown(0x10, [&](HWND hwnd) {
    HWND count = ::GetDlgItem(hwnd, IDC_COUNT);
    // Watched until the count has left 29, not for a fixed time, which a busy
    // machine would fill with fewer steps.
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    Clock::time_point at29{};
    while (Clock::now() < deadline) {
      const std::string text = WindowTextOf(count);
      if (seen.empty() || seen.back() != text) {
        seen.push_back(text);
        if (text == "29 ") at29 = Clock::now();
        if (text != "30" && text != "29 ") {
          stepApart = Clock::now() - at29;
          break;
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::PostMessageA(::GetDlgItem(hwnd, IDC_COUNTDOWN_CANCEL), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"30", "29 ", "28 "}));
  // A second apart; a late tick followed by one on time can come closer.
  EXPECT_GT(stepApart, std::chrono::milliseconds(500));
}

// The timer window's stand-in: counts the WM_CLOSE the power step posts.
class ParentWindow : public CWnd {
 public:
  ParentWindow() {
    AfxCreateWindowEx(*this, 0, AfxRegisterWndClass(0), "parent", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                      nullptr);
  }
  ~ParentWindow() override { AfxDestroyWindow(*this); }
  int closes = 0;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_CLOSE) return ++closes, 0;
    return CWnd::WindowProc(msg, wp, lp);
  }
};

// Runs it to its end, then dispatches what it posted on its way out.
INT_PTR RunToZero(SeamCountdown& dialog) {
  dialog.m_action = 0x10;
  const INT_PTR result = RunModalWatched(dialog, AnsiFromUtf8(kCaptionUtf8), [](HWND hwnd) {
    for (int i = 0; i < 400 && ::IsWindowVisible(hwnd); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
  });
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  return result;
}

TEST(CountdownAtZero, ATakenPowerStepClosesTheTimerWindow) {
  ParentWindow parent;
  SeamCountdown dialog(&parent, 0, 1);
  EXPECT_EQ(RunToZero(dialog), 0);
  EXPECT_EQ(dialog.powerCalls, 1);
  EXPECT_EQ(dialog.m_powerError, 0u);
  EXPECT_EQ(parent.closes, 1);
}

TEST(CountdownAtZero, ARefusedPowerStepLeavesTheTimerWindowAndKeepsTheError) {
  ParentWindow parent;
  SeamCountdown dialog(&parent, ERROR_PRIVILEGE_NOT_HELD, 1);
  EXPECT_EQ(RunToZero(dialog), 0);
  EXPECT_EQ(dialog.powerCalls, 1);
  EXPECT_EQ(dialog.m_powerError, static_cast<std::uint32_t>(ERROR_PRIVILEGE_NOT_HELD));
  EXPECT_EQ(parent.closes, 0);
  EXPECT_TRUE(::IsWindowVisible(parent.m_hWnd));
}

// Stands in for the program's application object while it lives.
class ExitingApp : public CWinApp {
 public:
  ExitingApp() { BeginExit(); }
};

TEST(CountdownAtZero, NoPowerStepOnceTheProgramIsExiting) {
  ParentWindow parent;
  ExitingApp app;
  SeamCountdown dialog(&parent, 0, 1);
  EXPECT_EQ(RunToZero(dialog), IDCANCEL);
  EXPECT_EQ(dialog.powerCalls, 0);
  EXPECT_EQ(parent.closes, 0);
}

// The timer window's stand-in for the nested cases: on request it runs an
// inner modal loop (a message box, as the remote power-on window's or the
// about box's loop runs inside the countdown's), ends a dialog from outside
// it, or exits as the tray menu's Exit does.
constexpr UINT WM_TEST_OPEN_INNER = WM_APP + 1;
constexpr UINT WM_TEST_END_DIALOG = WM_APP + 2;
constexpr UINT WM_TEST_EXIT = WM_APP + 3;
const char kInnerCaption[] = "inner loop";

class NestingParent : public ParentWindow {
 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_TEST_OPEN_INNER:
        ::MessageBoxA(nullptr, "inner", kInnerCaption, MB_OK);
        return 0;
      case WM_TEST_END_DIALOG:
        ::EndDialog(reinterpret_cast<HWND>(wp), 7);
        return 0;
      case WM_TEST_EXIT:
        AfxGetApp()->BeginExit();
        AfxEndThreadDialogs(IDOK);
        return 0;
    }
    return ParentWindow::WindowProc(msg, wp, lp);
  }
};

// An application object whose exit the test may begin.
class StandInApp : public CWinApp {};

struct EndRoute {
  const char* name;
  std::function<void(HWND countdown, HWND parent)> end;
};

void PrintTo(const EndRoute& route, std::ostream* os) { *os << route.name; }

class CountdownEndedUnderAnInnerLoop : public ::testing::TestWithParam<EndRoute> {};

// The count starts at 2. Once the inner loop runs, the countdown is ended by
// one route; its window stays until the inner loop is left, and the ticks
// that reach it meanwhile (queued ones, sent here) must neither count nor
// act. Before the fix a close left the timer running and the power step ran.
TEST_P(CountdownEndedUnderAnInnerLoop, CountsNoMoreAndNeverActs) {
  StandInApp app;
  NestingParent parent;
  SeamCountdown dialog(&parent, 0, 2);
  bool hidden = false;
  RunCountdown(dialog, 0x10, [&](HWND hwnd) {
    ::PostMessageA(parent.m_hWnd, WM_TEST_OPEN_INNER, 0, 0);
    HWND inner = nullptr;
    for (int i = 0; i < 1200 && !inner; ++i) {
      inner = ::FindWindowA("#32770", kInnerCaption);
      if (!inner) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    ASSERT_NE(inner, nullptr) << "no inner loop";
    GetParam().end(hwnd, parent.m_hWnd);
    for (int i = 0; i < 1200 && ::IsWindowVisible(hwnd); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    hidden = !::IsWindowVisible(hwnd);
    const std::string before = WindowTextOf(::GetDlgItem(hwnd, IDC_COUNT));
    SendLateTicks(hwnd);
    EXPECT_EQ(WindowTextOf(::GetDlgItem(hwnd, IDC_COUNT)), before) << "a tick counted after the end";
    if (::IsWindow(inner)) ::PostMessageA(inner, WM_COMMAND, IDOK, 0);
  });
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  EXPECT_TRUE(hidden) << "still showing after its end";
  EXPECT_EQ(dialog.powerCalls, 0);
  EXPECT_EQ(parent.closes, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Routes, CountdownEndedUnderAnInnerLoop,
    ::testing::Values(
        EndRoute{"CancelButton",
                 [](HWND hwnd, HWND) { ::PostMessageA(::GetDlgItem(hwnd, IDC_COUNTDOWN_CANCEL), BM_CLICK, 0, 0); }},
        // Esc and Enter need the countdown's own loop (the dialog manager);
        // Space is the button's own key and works under any loop.
        EndRoute{"SpaceOnCancel", [](HWND hwnd, HWND) { PostKey(hwnd, VK_SPACE); }},
        EndRoute{"WmClose", [](HWND hwnd, HWND) { ::PostMessageA(hwnd, WM_CLOSE, 0, 0); }},
        EndRoute{"AltF4", [](HWND hwnd, HWND) { ::PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        EndRoute{"EndDialogFromElsewhere",
                 [](HWND hwnd, HWND parent) {
                   ::PostMessageA(parent, WM_TEST_END_DIALOG, reinterpret_cast<WPARAM>(hwnd), 0);
                 }},
        EndRoute{"Exit", [](HWND, HWND parent) { ::PostMessageA(parent, WM_TEST_EXIT, 0, 0); }},
        EndRoute{"SessionEnds",
                 [](HWND hwnd, HWND) {
                   DWORD_PTR ignored = 0;
                   ::SendMessageTimeoutA(hwnd, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 10000, &ignored);
                 }}),
    [](const ::testing::TestParamInfo<EndRoute>& info) { return std::string(info.param.name); });

// A session that goes on (WM_ENDSESSION with FALSE) leaves the count alone.
TEST(Countdown, ASessionThatGoesOnKeepsCounting) {
  SeamCountdown dialog(nullptr);
  const INT_PTR result = RunCountdown(dialog, 0x10, [&](HWND hwnd) {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(hwnd, WM_ENDSESSION, FALSE, 0, SMTO_NORMAL, 10000, &ignored);
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    SendLateTicks(hwnd, 1);
    EXPECT_EQ(WindowTextOf(::GetDlgItem(hwnd, IDC_COUNT)), "29 ");
    ::PostMessageA(::GetDlgItem(hwnd, IDC_COUNTDOWN_CANCEL), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(result, 0);
}

// An owner minimised hides its owned windows; the countdown stays in sight.
TEST(Countdown, StaysInSightWhenItsOwnerIsMinimised) {
  ParentWindow parent;
  SeamCountdown dialog(&parent);
  const INT_PTR result = RunCountdown(dialog, 0x10, [&](HWND hwnd) {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(hwnd, WM_SHOWWINDOW, FALSE, SW_PARENTCLOSING, SMTO_NORMAL, 10000, &ignored);
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    ::PostMessageA(::GetDlgItem(hwnd, IDC_COUNTDOWN_CANCEL), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(result, 0);
}

TEST(RefusedPowerAction, MessageGivesTheSystemsDescriptionAndNumber) {
  char description[512] = {};
  ASSERT_GT(::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             ERROR_PRIVILEGE_NOT_HELD, 0, description, sizeof description, nullptr),
            0u);
  std::string expected = description;
  while (!expected.empty() && (expected.back() == '\n' || expected.back() == '\r')) expected.pop_back();
  const std::string text = RefusedPowerActionText(ERROR_PRIVILEGE_NOT_HELD);
  EXPECT_EQ(text.rfind(AnsiFromUtf8("コンピュータの電源操作はシステムに拒否されました。"), 0), 0u) << text;
  EXPECT_NE(text.find(expected), std::string::npos) << text;
  EXPECT_NE(text.find("1314"), std::string::npos) << text;
  // An error the system has no text for still names its number.
  EXPECT_NE(RefusedPowerActionText(0x2FFFFFFF).find(std::to_string(0x2FFFFFFF)), std::string::npos);
}

}  // namespace
