// The countdown window, run modally while a helper thread watches and drives
// it. The count never reaches zero here: that would call the exit for real.
#include "app/countdown_dlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
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

INT_PTR RunCountdown(std::uint32_t action, const std::function<void(HWND)>& watch) {
  CCountdownDlg dialog(nullptr);
  dialog.m_action = action;
  return RunModalWatched(dialog, AnsiFromUtf8(kCaptionUtf8), watch);
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
// runs the power step.
TEST(Countdown, KeysEndItWithoutThePowerStep) {
  struct KeyCase {
    WPARAM key;
    std::vector<INT_PTR> results;
  };
  const KeyCase cases[] = {{VK_RETURN, {0, IDOK}}, {VK_SPACE, {0}}, {VK_ESCAPE, {IDCANCEL}}};
  for (const KeyCase& c : cases) {
    const INT_PTR result = RunCountdown(0x10, [&](HWND hwnd) { PostKey(hwnd, c.key); });
    EXPECT_NE(std::find(c.results.begin(), c.results.end(), result), c.results.end())
        << "key " << c.key << " gave " << result;
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

// Counts from 1 and answers the power step with `refusal` instead of asking
// the system.
class SeamCountdown : public CCountdownDlg {
 public:
  SeamCountdown(CWnd* parent, std::uint32_t refusal) : CCountdownDlg(parent), m_refusal(refusal) {}
  int powerCalls = 0;

 protected:
  std::int32_t StartCount() const override { return 1; }
  std::uint32_t CallPowerAction() override { return ++powerCalls, m_refusal; }

 private:
  std::uint32_t m_refusal;
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
  SeamCountdown dialog(&parent, 0);
  EXPECT_EQ(RunToZero(dialog), 0);
  EXPECT_EQ(dialog.powerCalls, 1);
  EXPECT_EQ(dialog.m_powerError, 0u);
  EXPECT_EQ(parent.closes, 1);
}

TEST(CountdownAtZero, ARefusedPowerStepLeavesTheTimerWindowAndKeepsTheError) {
  ParentWindow parent;
  SeamCountdown dialog(&parent, ERROR_PRIVILEGE_NOT_HELD);
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
  SeamCountdown dialog(&parent, 0);
  EXPECT_EQ(RunToZero(dialog), IDCANCEL);
  EXPECT_EQ(dialog.powerCalls, 0);
  EXPECT_EQ(parent.closes, 0);
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
