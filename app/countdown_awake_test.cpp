// The countdown counts time seen awake, ends on sleep and resume, and follows
// the decision shared with the copies in other sessions. Its clock and its
// power step are seams here: no test waits for the count, none can power off.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "app/countdown_dlg.h"
#include "app/modal_test_support.h"
#include "app/shared_fire.h"
#include "res/resource.h"

namespace {

const char kCaptionUtf8[] = "Varo\u3000電源タイマ\u3000Program";

// Counts from 3 on a clock the test moves, and counts power steps instead of
// asking the system for them.
class ClockedCountdown : public CCountdownDlg {
 public:
  ClockedCountdown() : CCountdownDlg(nullptr) { m_action = 0x10; }
  std::atomic<std::uint32_t> nowMs{1000};
  int powerCalls = 0;
  std::uint32_t powerError = 0;  // what the system answers the power step

  // Moves the clock on by `steps` readings of 1.5 s each (a step of over 2 s
  // would count as sleep), each read through a timer message.
  void Pass(HWND hwnd, int steps) {
    for (int i = 0; i < steps; ++i) {
      nowMs += 1500;
      ::SendMessageA(hwnd, WM_TIMER, 123, 0);
    }
  }

 protected:
  std::int32_t StartCount() const override { return 3; }
  std::uint32_t CallPowerAction() override { return ++powerCalls, powerError; }
  std::uint32_t NowMs() const override { return nowMs; }
};

// A WM_TIMER of the countdown's timer, sent from the watcher thread: handled
// by the time SendMessage returns. The first one after the window showed
// starts the count if the window's own start has not come yet.
void Tick(HWND hwnd) { ::SendMessageA(hwnd, WM_TIMER, 123, 0); }

std::string Count(HWND hwnd) { return WindowTextOf(::GetDlgItem(hwnd, IDC_COUNT)); }

TEST(CountdownAwake, ForgedTimerMessagesDoNotBringZeroSooner) {
  ClockedCountdown dialog;
  std::string afterFlood, afterSecond;
  const INT_PTR result = RunModalWatched(dialog, AnsiFromUtf8(kCaptionUtf8), [&](HWND hwnd) {
    Tick(hwnd);  // the count starts at the clock's 1000
    for (int i = 0; i < 300; ++i) Tick(hwnd);  // no time passes
    afterFlood = Count(hwnd);
    dialog.nowMs += 1000;
    Tick(hwnd);
    afterSecond = Count(hwnd);
    dialog.nowMs += 900;  // 1.9 s in all: still two to go
    for (int i = 0; i < 50; ++i) Tick(hwnd);
    ::PostMessageA(::GetDlgItem(hwnd, IDC_COUNTDOWN_CANCEL), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(afterFlood, "30");  // the template's text: nothing counted yet
  EXPECT_EQ(afterSecond, "2 ");
  EXPECT_EQ(dialog.powerCalls, 0);
}

TEST(CountdownAwake, ALateTickShowsTheSecondsThatPassedAndZeroComesOnTime) {
  ClockedCountdown dialog;
  std::string late;
  const INT_PTR result = RunModalWatched(dialog, AnsiFromUtf8(kCaptionUtf8), [&](HWND hwnd) {
    Tick(hwnd);  // the count starts at the clock's 1000
    dialog.nowMs += 1999;  // one tick 2 s late
    Tick(hwnd);
    late = Count(hwnd);
    dialog.nowMs += 1001;
    Tick(hwnd);  // 3 s in all: zero, and the power step
  });
  EXPECT_EQ(late, "2 ");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(dialog.powerCalls, 1);
}

TEST(CountdownAwake, SleepOrAnyResumeEndsItWithoutThePowerStep) {
  const WPARAM ending[] = {PBT_APMSUSPEND, PBT_APMRESUMESUSPEND, PBT_APMRESUMEAUTOMATIC, PBT_APMRESUMECRITICAL};
  for (const WPARAM event : ending) {
    ClockedCountdown dialog;
    const INT_PTR result = RunModalWatched(dialog, AnsiFromUtf8(kCaptionUtf8), [&](HWND hwnd) {
    Tick(hwnd);  // the count starts at the clock's 1000
      dialog.nowMs += 1000;
      Tick(hwnd);
      ::PostMessageA(hwnd, WM_POWERBROADCAST, event, 0);
      // Ticks after the message, even hours of them, find it ended.
      dialog.nowMs += 5000;
      ::PostMessageA(hwnd, WM_TIMER, 123, 0);
    });
    EXPECT_EQ(result, IDCANCEL) << event;
    EXPECT_EQ(dialog.powerCalls, 0) << event;
  }
  // Other power news leaves it counting.
  ClockedCountdown dialog;
  std::string after;
  const INT_PTR result = RunModalWatched(dialog, AnsiFromUtf8(kCaptionUtf8), [&](HWND hwnd) {
    Tick(hwnd);  // the count starts at the clock's 1000
    ::SendMessageA(hwnd, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
    ::SendMessageA(hwnd, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0);
    dialog.nowMs += 1000;
    Tick(hwnd);
    after = Count(hwnd);
    ::PostMessageA(::GetDlgItem(hwnd, IDC_COUNTDOWN_CANCEL), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(after, "2 ");
}

std::string UniqueKey(const char* name) { return std::string(name) + "." + std::to_string(::GetCurrentProcessId()); }

TEST(CountdownAwake, ACancelInAnotherCopyEndsIt) {
  SharedFire elsewhere(UniqueKey("countdown-cancel"));
  SharedFire mine(UniqueKey("countdown-cancel"));
  ClockedCountdown dialog;
  dialog.m_shared = &mine;
  const INT_PTR result = RunModalWatched(dialog, AnsiFromUtf8(kCaptionUtf8), [&](HWND hwnd) {
    Tick(hwnd);  // the count starts at the clock's 1000
    dialog.nowMs += 1000;
    Tick(hwnd);
    elsewhere.Cancel();
    dialog.nowMs += 250;
    Tick(hwnd);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(dialog.m_endedElsewhere);
  EXPECT_FALSE(dialog.m_powerStepRan);
  EXPECT_EQ(dialog.powerCalls, 0);
}

TEST(CountdownAwake, ACopyThatClaimedFirstActsAndThisOneDoesNot) {
  const std::string key = UniqueKey("countdown-claim");
  // The other copy's claim, from a thread of its own: a mutex a thread owns
  // is its own again when it asks twice.
  SharedFire mine(key);
  std::thread([&] { SharedFire(key).Claim(); }).join();
  ClockedCountdown dialog;
  dialog.m_shared = &mine;
  const INT_PTR result = RunModalWatched(dialog, AnsiFromUtf8(kCaptionUtf8), [&](HWND hwnd) {
    Tick(hwnd);  // the count starts at the clock's 1000
    dialog.Pass(hwnd, 2);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(dialog.m_endedElsewhere);
  EXPECT_EQ(dialog.powerCalls, 0);

  // Alone, the copy claims and acts.
  SharedFire alone(UniqueKey("countdown-alone"));
  ClockedCountdown first;
  first.m_shared = &alone;
  EXPECT_EQ(RunModalWatched(first, AnsiFromUtf8(kCaptionUtf8), [&](HWND hwnd) {
    Tick(hwnd);  // the count starts at the clock's 1000
    first.Pass(hwnd, 2);
  }),
            0);
  EXPECT_TRUE(first.m_powerStepRan);
  EXPECT_EQ(first.powerCalls, 1);
}

// Another session's copy that has claimed the action and still runs: it
// gives the claim up when told to, as a copy the system refused does.
class ClaimHolder {
 public:
  explicit ClaimHolder(const std::string& key)
      : m_thread([this, key] {
          SharedFire fire(key);
          m_claimed = fire.Claim();
          ::SetEvent(m_ready.get());
          ::WaitForSingleObject(m_giveUp.get(), 30000);
          fire.Release();
          ::SetEvent(m_released.get());
          ::WaitForSingleObject(m_end.get(), 30000);
        }) {
    ::WaitForSingleObject(m_ready.get(), 30000);
  }
  ~ClaimHolder() {
    ::SetEvent(m_giveUp.get());
    ::SetEvent(m_end.get());
    m_thread.join();
  }
  bool claimed() const { return m_claimed; }
  void GiveUp() {
    ::SetEvent(m_giveUp.get());
    ::WaitForSingleObject(m_released.get(), 30000);
  }

 private:
  static HANDLE Event() { return ::CreateEventA(nullptr, TRUE, FALSE, nullptr); }
  KernelHandle m_ready{Event()}, m_giveUp{Event()}, m_released{Event()}, m_end{Event()};
  std::atomic<bool> m_claimed{false};
  std::thread m_thread;
};

TEST(CountdownAwake, AClaimHeldElsewhereIsWaitedForAndTakenWhenGivenUp) {
  const std::string key = UniqueKey("countdown-held");
  ClaimHolder other(key);
  ASSERT_TRUE(other.claimed());
  SharedFire mine(key);
  ClockedCountdown dialog;
  dialog.m_shared = &mine;
  int callsWhileHeld = -1;
  const INT_PTR result = RunModalWatched(dialog, AnsiFromUtf8(kCaptionUtf8), [&](HWND hwnd) {
    Tick(hwnd);  // the count starts at the clock's 1000
    dialog.Pass(hwnd, 2);  // zero: the other copy holds the claim
    dialog.nowMs += 1000;
    Tick(hwnd);
    callsWhileHeld = dialog.powerCalls;
    other.GiveUp();  // refused there
    dialog.nowMs += 250;
    Tick(hwnd);
  });
  EXPECT_EQ(callsWhileHeld, 0);
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(dialog.m_powerStepRan);
  EXPECT_EQ(dialog.powerCalls, 1);
}

TEST(CountdownAwake, AClaimHeldPastTheWaitLeavesTheActionToItsHolder) {
  const std::string key = UniqueKey("countdown-kept");
  ClaimHolder other(key);
  ASSERT_TRUE(other.claimed());
  SharedFire mine(key);
  ClockedCountdown dialog;
  dialog.m_shared = &mine;
  const INT_PTR result = RunModalWatched(dialog, AnsiFromUtf8(kCaptionUtf8), [&](HWND hwnd) {
    Tick(hwnd);  // the count starts at the clock's 1000
    dialog.Pass(hwnd, 2);  // zero: the other copy holds the claim
    dialog.Pass(hwnd, 4);  // 6 s on, it still holds it: it is carrying the action out
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(dialog.m_endedElsewhere);
  EXPECT_EQ(dialog.powerCalls, 0);
}

TEST(CountdownAwake, ARefusedPowerStepGivesTheClaimUpForAnotherSession) {
  const std::string key = UniqueKey("countdown-refused");
  SharedFire mine(key);
  ClockedCountdown dialog;
  dialog.m_shared = &mine;
  dialog.powerError = ERROR_PRIVILEGE_NOT_HELD;
  EXPECT_EQ(RunModalWatched(dialog, AnsiFromUtf8(kCaptionUtf8), [&](HWND hwnd) {
    Tick(hwnd);  // the count starts at the clock's 1000
    dialog.Pass(hwnd, 2);
  }),
            0);
  EXPECT_EQ(dialog.powerCalls, 1);
  EXPECT_EQ(dialog.m_powerError, static_cast<std::uint32_t>(ERROR_PRIVILEGE_NOT_HELD));
  bool otherClaimed = false;
  std::thread([&] { otherClaimed = SharedFire(key).Claim(); }).join();
  EXPECT_TRUE(otherClaimed);
}

TEST(CountdownAwake, AnotherProgramsCloseEndsOnlyThisCopyTheUsersEndsAll) {
  ClockedCountdown byProgram;
  EXPECT_EQ(RunModalWatched(byProgram, AnsiFromUtf8(kCaptionUtf8),
                            [&](HWND hwnd) { ::PostMessageA(hwnd, WM_CLOSE, 0, 0); }),
            IDCANCEL);
  EXPECT_TRUE(byProgram.m_endedElsewhere);  // taskkill: the other sessions go on

  ClockedCountdown byUser;
  EXPECT_EQ(RunModalWatched(byUser, AnsiFromUtf8(kCaptionUtf8),
                            [&](HWND hwnd) { ::PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); }),
            IDCANCEL);
  EXPECT_FALSE(byUser.m_endedElsewhere);  // Alt+F4: the user's cancel
  EXPECT_EQ(byProgram.powerCalls + byUser.powerCalls, 0);
}

}  // namespace
