#include "tray/core/tray_icon_state.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tray/core/notify_icon_record.h"

namespace {

using Call = std::pair<std::uint32_t, std::uint32_t>;  // message, uFlags

// The shell: logs each call and answers `accept`.
struct FakeShell {
  bool accept = true;
  std::vector<Call> calls;
  NotifyIconCall Bind() {
    return [this](std::uint32_t message, std::uint32_t flags) {
      calls.emplace_back(message, flags);
      return accept;
    };
  }
};

constexpr std::uint32_t kAddFlags = kNotifyFlagMessage | kNotifyFlagIcon | kNotifyFlagTip;
const Call kAdd{kNotifyAdd, kAddFlags};
const Call kDelete{kNotifyDelete, 0};
const Call kModify{kNotifyModify, kAddFlags};

enum class Before { kConstructed, kUnusable, kShown, kAddFailed, kReAddFailed, kDeleted };
enum class Event { kNone, kAddFirst, kTaskbarCreated, kWorkArea, kOtherSetting, kRetry, kDelete };

void Prepare(TrayIconState& state, FakeShell& shell, Before before) {
  if (before == Before::kConstructed) return;
  state.EnableFor(before == Before::kUnusable ? 3 : 4);
  if (before == Before::kUnusable) return;
  shell.accept = before != Before::kAddFailed;
  state.AddFirst(kAddFlags);
  if (before == Before::kReAddFailed) {
    shell.accept = false;
    state.OnTaskbarCreated();
  }
  if (before == Before::kDeleted) state.Delete();
}

bool Apply(TrayIconState& state, Event event) {
  switch (event) {
    case Event::kNone: return true;
    case Event::kAddFirst: return state.AddFirst(kAddFlags);
    case Event::kTaskbarCreated: state.OnTaskbarCreated(); return true;
    case Event::kWorkArea: state.OnSettingChange(kSettingWorkArea); return true;
    case Event::kOtherSetting: state.OnSettingChange(42); return true;
    case Event::kRetry: return state.RetryAdd();
    case Event::kDelete: return state.Delete();
  }
  return true;
}

struct Row {
  const char* name;
  Before before;
  Event event;
  bool shellAccepts;
  bool hidden, deleted, pending;
  std::vector<Call> calls;
  bool result;
};

TEST(TrayIconState, FlagsAndShellCallsAfterEachEvent) {
  const Row rows[] = {
      {"construction", Before::kConstructed, Event::kNone, true, true, true, false, {}, true},
      {"tray unusable", Before::kUnusable, Event::kNone, true, true, true, false, {}, true},
      {"first add succeeds", Before::kConstructed, Event::kAddFirst, true, false, false, false, {kAdd}, true},
      {"first add fails", Before::kConstructed, Event::kAddFirst, false, true, false, true, {kAdd}, false},
      {"taskbar created, re-add succeeds", Before::kShown, Event::kTaskbarCreated, true, false, false, false, {kAdd}, true},
      {"work area, re-add succeeds", Before::kShown, Event::kWorkArea, true, false, false, false, {kAdd}, true},
      {"taskbar created, re-add fails", Before::kShown, Event::kTaskbarCreated, false, true, false, true, {kAdd, kModify}, true},
      {"work area, re-add fails", Before::kShown, Event::kWorkArea, false, true, false, true, {kAdd, kModify}, true},
      {"taskbar created after failed add", Before::kAddFailed, Event::kTaskbarCreated, true, false, false, false, {kAdd}, true},
      {"taskbar created after failed re-add", Before::kReAddFailed, Event::kTaskbarCreated, true, false, false, false, {kAdd}, true},
      {"taskbar created after failed add, refused", Before::kAddFailed, Event::kTaskbarCreated, false, true, false, true, {kAdd, kModify}, true},
      {"taskbar created after delete", Before::kDeleted, Event::kTaskbarCreated, true, true, true, false, {}, true},
      {"work area after failed add", Before::kAddFailed, Event::kWorkArea, true, true, false, false, {}, true},
      {"work area after failed re-add", Before::kReAddFailed, Event::kWorkArea, true, true, false, false, {}, true},
      {"work area after delete", Before::kDeleted, Event::kWorkArea, true, true, true, false, {}, true},
      {"other setting while shown", Before::kShown, Event::kOtherSetting, true, false, false, false, {}, true},
      {"other setting keeps pending", Before::kAddFailed, Event::kOtherSetting, true, true, false, true, {}, true},
      {"retry after failed add, taken", Before::kAddFailed, Event::kRetry, true, false, false, false, {kAdd}, true},
      {"retry after failed add, refused", Before::kAddFailed, Event::kRetry, false, true, false, true, {kAdd, kModify}, false},
      {"retry after failed re-add, taken", Before::kReAddFailed, Event::kRetry, true, false, false, false, {kAdd}, true},
      {"retry while shown: nothing to do", Before::kShown, Event::kRetry, true, false, false, false, {}, true},
      {"retry after delete: nothing to do", Before::kDeleted, Event::kRetry, true, true, true, false, {}, false},
      {"retry with tray unusable", Before::kUnusable, Event::kRetry, true, true, true, false, {}, false},
      {"delete succeeds", Before::kShown, Event::kDelete, true, true, true, false, {kDelete}, true},
      {"delete fails", Before::kShown, Event::kDelete, false, false, false, false, {kDelete}, false},
      {"delete after failed re-add", Before::kReAddFailed, Event::kDelete, true, true, true, false, {kDelete}, true},
      {"delete after failed add: sent, the add may have timed out", Before::kAddFailed, Event::kDelete, true, true, true, false, {kDelete}, true},
      {"delete after failed add, refused: there was none", Before::kAddFailed, Event::kDelete, false, true, true, false, {kDelete}, true},
      {"second delete: not needed", Before::kDeleted, Event::kDelete, true, true, true, false, {}, true},
      {"delete with tray unusable", Before::kUnusable, Event::kDelete, true, true, true, false, {}, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeShell shell;
    TrayIconState state(shell.Bind());
    Prepare(state, shell, row.before);
    shell.calls.clear();
    shell.accept = row.shellAccepts;
    EXPECT_EQ(Apply(state, row.event), row.result);
    EXPECT_EQ(state.iconHidden(), row.hidden);
    EXPECT_EQ(state.iconDeleted(), row.deleted);
    EXPECT_EQ(state.readdPending(), row.pending);
    EXPECT_EQ(shell.calls, row.calls);
  }
}

TEST(TrayIconState, IconTheShellStillShowsIsNotLostByARefusedReAdd) {
  // A shell that refuses to add an icon it already holds, as shells do.
  bool present = false;
  std::vector<Call> calls;
  TrayIconState state([&](std::uint32_t message, std::uint32_t flags) {
    calls.emplace_back(message, flags);
    if (message == kNotifyAdd) return present ? false : (present = true);
    if (message == kNotifyDelete) return present ? !(present = false) : false;
    return present;
  });
  state.EnableFor(5);
  ASSERT_TRUE(state.AddFirst(kAddFlags));
  state.OnSettingChange(kSettingWorkArea);  // icon still there: add refused
  EXPECT_FALSE(state.iconHidden());
  EXPECT_FALSE(state.readdPending());
  present = false;  // the taskbar is re-created without our icon
  calls.clear();
  state.OnTaskbarCreated();
  EXPECT_EQ(calls, std::vector<Call>{kAdd});
  EXPECT_TRUE(present);
  EXPECT_FALSE(state.iconHidden());
}

TEST(TrayIconState, ShellThatComesUpLateGetsTheIconAndExitLeavesNoGhost) {
  // A shell that refuses the first adds, then times out on one that still
  // puts the icon up, then answers normally.
  int refusals = 3;
  bool timesOut = true;
  bool present = false;
  std::vector<Call> calls;
  TrayIconState state([&](std::uint32_t message, std::uint32_t flags) {
    calls.emplace_back(message, flags);
    if (message == kNotifyAdd) {
      if (refusals > 0) return --refusals, false;
      if (present) return false;
      present = true;
      if (timesOut) return timesOut = false, false;
      return true;
    }
    if (message == kNotifyDelete) return present ? !(present = false) : false;
    return present;
  });
  state.EnableFor(5);
  EXPECT_FALSE(state.AddFirst(kAddFlags));
  EXPECT_TRUE(state.needsRetry());
  EXPECT_FALSE(state.RetryAdd());
  EXPECT_FALSE(state.RetryAdd());
  // The add times out, yet the icon is up: the modify after it finds it.
  EXPECT_TRUE(state.RetryAdd());
  EXPECT_TRUE(present);
  EXPECT_EQ(calls.back(), kModify);
  EXPECT_FALSE(state.needsRetry());
  const std::size_t callsWhenShown = calls.size();
  EXPECT_TRUE(state.RetryAdd());  // shown: nothing more to do
  EXPECT_EQ(calls.size(), callsWhenShown);
  EXPECT_TRUE(state.Delete());
  EXPECT_FALSE(present);
  EXPECT_FALSE(state.needsRetry());
  EXPECT_EQ(calls.back(), kDelete);
}

TEST(TrayIconState, IconPutUpByATimedOutFirstAddIsDeletedAtExit) {
  bool present = false;
  TrayIconState state([&](std::uint32_t message, std::uint32_t) {
    if (message == kNotifyAdd) return present = true, false;
    if (message == kNotifyDelete) return present ? !(present = false) : false;
    return present;
  });
  state.EnableFor(5);
  EXPECT_FALSE(state.AddFirst(kAddFlags));
  EXPECT_TRUE(state.Delete());
  EXPECT_FALSE(present);
}

TEST(TrayIconState, RetriesComeEveryTwoSecondsForAMinuteThenEveryHalfMinute) {
  EXPECT_EQ(TrayRetryPeriodMs(0), 2000u);
  EXPECT_EQ(TrayRetryPeriodMs(59999), 2000u);
  EXPECT_EQ(TrayRetryPeriodMs(60000), 30000u);
  EXPECT_EQ(TrayRetryPeriodMs(0xFFFFFFFFu), 30000u);
}

TEST(TrayIconState, ReAddReusesTheFirstAddsFlagsAfterAChangeOfIcon) {
  FakeShell shell;
  TrayIconState state(shell.Bind());
  ASSERT_TRUE(state.EnableFor(5));
  const std::uint32_t withBalloon = FirstAddFlags(true, true);
  ASSERT_TRUE(state.AddFirst(withBalloon));
  EXPECT_TRUE(state.ChangeIcon());
  state.OnTaskbarCreated();
  const std::vector<Call> expected = {
      {kNotifyAdd, 0x17}, {kNotifyModify, kNotifyFlagIcon}, {kNotifyAdd, 0x17}};
  EXPECT_EQ(shell.calls, expected);
  EXPECT_EQ(state.addFlags(), 0x17u);
}

TEST(TrayIconState, ChangeIconNeedsAUsableTrayAndReportsTheShell) {
  FakeShell shell;
  TrayIconState unusable(shell.Bind());
  unusable.EnableFor(3);
  EXPECT_FALSE(unusable.ChangeIcon());
  EXPECT_TRUE(shell.calls.empty());

  TrayIconState usable(shell.Bind());
  usable.EnableFor(4);
  shell.accept = false;
  EXPECT_FALSE(usable.ChangeIcon());
  shell.accept = true;
  EXPECT_TRUE(usable.ChangeIcon());
  const std::vector<Call> expected(2, Call{kNotifyModify, kNotifyFlagIcon});
  EXPECT_EQ(shell.calls, expected);
}

}  // namespace
