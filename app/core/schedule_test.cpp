#include "app/core/schedule.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace {

// An in-memory profile that also records the order of writes. Entries are
// numbers in `values` or raw text in `texts`; `failFromWrite` makes that
// write and every later one fail, as a full disk or a lost share would.
class FakeProfile : public ProfileStore {
 public:
  std::map<std::string, int> values;
  std::map<std::string, std::string> texts;
  std::vector<std::string> writes;
  std::size_t failFromWrite = SIZE_MAX;

  std::string GetText(const char* section, const char* entry) override {
    const std::string key = Key(section, entry);
    if (auto it = values.find(key); it != values.end()) return std::to_string(it->second);
    if (auto it = texts.find(key); it != texts.end()) return it->second;
    return "";
  }
  bool WriteInt(const char* section, const char* entry, int value) override {
    if (writes.size() >= failFromWrite) return false;
    values[Key(section, entry)] = value;
    writes.push_back(Key(section, entry) + "=" + std::to_string(value));
    return true;
  }
  static std::string Key(const char* s, const char* e) { return std::string(s) + "/" + e; }
};

ClockReading At(int weekday, int h, int m, int s) {
  ClockReading r;
  r.weekday = weekday;
  r.hour = h;
  r.minute = m;
  r.second = s;
  return r;
}

TEST(ScheduleLoad, EmptyProfileIsTimerOffPowerOffNoTimeEveryDay) {
  FakeProfile p;
  ScheduleSettings s = LoadSchedule(p);
  EXPECT_EQ(s.enabled, 0);
  EXPECT_EQ(s.action, 0u);
  EXPECT_EQ(ShownAction(s.action), kRadioPowerOff);
  EXPECT_FALSE(s.timeOfDay.IsValid());  // a missing time is no time, not midnight
  EXPECT_EQ(s.day, 0);
}

FakeProfile WholeProfile() {
  FakeProfile p;
  p.values = {{"SOUND/DWSTART", 1}, {"SOUND/DWACTION", 0x40}, {"SOUND/DWHOUR", 23},
              {"SOUND/DWMIN", 0}, {"SOUND/DWSEC", 0}, {"SOUND/DWDAY", 2}};
  return p;
}

TEST(ScheduleLoad, WholeProfileArms) {
  FakeProfile p = WholeProfile();
  const ScheduleSettings s = LoadSchedule(p);
  EXPECT_EQ(s.enabled, 1);
  EXPECT_EQ(s.action, 0x40u);
  EXPECT_EQ(s.timeOfDay.hour, 23);
  EXPECT_EQ(s.day, 2);
  p.texts["SOUND/DWSTART"] = "-7";  // any number but 0 is on, as before
  p.values.erase("SOUND/DWSTART");
  EXPECT_EQ(LoadSchedule(p).enabled, -7);
}

// Each entry of a whole "on" profile in turn missing, empty, out of range or
// not a number: the time and the day entries arm nothing; the action only
// when it is no number at all.
TEST(ScheduleLoad, EveryMissingOrBadEntryOfAnOnProfileArmsNothing) {
  const char* const entries[] = {"DWACTION", "DWHOUR", "DWMIN", "DWSEC", "DWDAY"};
  const char* const notNumbers[] = {"", "abc", "12abc", "1 2", "0x10", "4294967296", "99999999999",
                                    "-", "+", "1.5", "\xEF\xBC\x91"};
  for (const char* entry : entries) {
    const std::string key = std::string("SOUND/") + entry;
    {
      FakeProfile p = WholeProfile();
      p.values.erase(key);
      EXPECT_EQ(LoadSchedule(p).enabled, 0) << entry << " missing";
    }
    for (const char* text : notNumbers) {
      FakeProfile p = WholeProfile();
      p.values.erase(key);
      p.texts[key] = text;
      EXPECT_EQ(LoadSchedule(p).enabled, 0) << entry << "=\"" << text << "\"";
    }
  }
  // Out of range: a time entry arms nothing; a day or action outside the
  // known values is a number and keeps its old meaning (never due, power off).
  const struct { const char* entry; int value; int enabled; } ranges[] = {
      {"DWHOUR", 24, 0}, {"DWHOUR", -1, 0}, {"DWMIN", 60, 0}, {"DWMIN", -2147483647 - 1, 0},
      {"DWSEC", 60, 0},  {"DWSEC", -1, 0},  {"DWDAY", 8, 1},  {"DWDAY", -1, 1}, {"DWACTION", 0, 1}};
  for (const auto& r : ranges) {
    FakeProfile p = WholeProfile();
    p.values[std::string("SOUND/") + r.entry] = r.value;
    EXPECT_EQ(LoadSchedule(p).enabled, r.enabled) << r.entry << "=" << r.value;
  }
}

// What an Apply interrupted after its first write left under the old order.
TEST(ScheduleLoad, OnlyDwstartArmsNothingAndShowsNoMidnight) {
  FakeProfile p;
  p.values["SOUND/DWSTART"] = 1;
  const ScheduleSettings s = LoadSchedule(p);
  EXPECT_EQ(s.enabled, 0);
  EXPECT_FALSE(s.timeOfDay.IsValid());
  EXPECT_FALSE(IsScheduleDue(s, At(1, 0, 0, 0)));
}

TEST(ScheduleLoad, DwstartThatIsNoNumberIsOff) {
  for (const char* text : {"yes", "1abc", "4294967297", ""}) {
    FakeProfile p = WholeProfile();
    p.values.erase("SOUND/DWSTART");
    p.texts["SOUND/DWSTART"] = text;
    EXPECT_EQ(LoadSchedule(p).enabled, 0) << text;
  }
}

TEST(ScheduleLoad, OutOfRangeStoredTimeIsInvalidNeverDueAndOff) {
  const int bad[][3] = {{24, 0, 0}, {0, 60, 0}, {0, 0, 60}, {-1, 0, 0}, {0, -5, 0}};
  for (const auto& t : bad) {
    FakeProfile p;
    p.values["SOUND/DWSTART"] = 1;
    p.values["SOUND/DWHOUR"] = t[0];
    p.values["SOUND/DWMIN"] = t[1];
    p.values["SOUND/DWSEC"] = t[2];
    ScheduleSettings s = LoadSchedule(p);
    EXPECT_FALSE(s.timeOfDay.IsValid());
    EXPECT_EQ(s.timeOfDay.hour, -1);
    EXPECT_EQ(s.enabled, 0);
    // -1:-1:-1 must not match any reading either.
    for (int wd = 1; wd <= 7; ++wd) EXPECT_FALSE(IsScheduleDue(s, At(wd, 0, 0, 0)));
    EXPECT_FALSE(IsScheduleDue(s, At(1, 24 % 24, 0, 0)));
  }
}

TEST(ScheduleLoad, ValuesAreTakenAsStored) {
  FakeProfile p;
  p.values = {{"SOUND/DWSTART", 7}, {"SOUND/DWACTION", 0x1F20}, {"SOUND/DWHOUR", 21},
              {"SOUND/DWMIN", 45}, {"SOUND/DWSEC", 0}, {"SOUND/DWDAY", 9}};
  ScheduleSettings s = LoadSchedule(p);
  EXPECT_EQ(s.enabled, 7);
  EXPECT_EQ(s.action, 0x1F20u);
  EXPECT_EQ(s.day, 9);  // no clamping: a day outside 0..7 simply never matches
  EXPECT_FALSE(IsScheduleDue(s, At(2, 21, 45, 0)));
}

TEST(ShownActionRule, FirstBitInOrderPowerOffLogOffRestart) {
  EXPECT_EQ(ShownAction(0x10), kRadioPowerOff);
  EXPECT_EQ(ShownAction(0x20), kRadioLogOff);
  EXPECT_EQ(ShownAction(0x40), kRadioRestart);
  EXPECT_EQ(ShownAction(0x60), kRadioLogOff);
  EXPECT_EQ(ShownAction(0x70), kRadioPowerOff);
  EXPECT_EQ(ShownAction(0x0F00), kRadioPowerOff);
}

TEST(ApplyRule, CheckedWritesSixEntriesInOrderAndKeepsHighByte) {
  FakeProfile p;
  ScheduleSettings s;
  s.action = 0x0110;
  ApplyInput in;
  in.timerBoxChecked = true;
  in.logOffChecked = true;
  in.hour = 8;
  in.minute = 15;
  in.second = 30;
  in.daySelection = 6;
  const ApplyOutcome outcome = ApplySchedule(s, in, p);
  EXPECT_TRUE(outcome.arm);
  EXPECT_TRUE(outcome.saved);
  // Off while the entries change, on once they all are written.
  const std::vector<std::string> expected = {"SOUND/DWSTART=0", "SOUND/DWACTION=288", "SOUND/DWHOUR=8",
                                             "SOUND/DWMIN=15",  "SOUND/DWSEC=30",     "SOUND/DWDAY=6",
                                             "SOUND/DWSTART=1"};
  EXPECT_EQ(p.writes, expected);
  EXPECT_EQ(s.enabled, 1);
  const ScheduleSettings loaded = LoadSchedule(p);
  EXPECT_EQ(loaded.enabled, 1);
  EXPECT_EQ(loaded.action, 288u);
  EXPECT_EQ(loaded.timeOfDay.second, 30);
}

// A write that fails at any step: nothing more is written, nothing is armed,
// and whatever the profile now holds loads either as the whole previous
// schedule or as off, never as a mix.
TEST(ApplyRule, WriteFailingHalfWayArmsNothingAndLeavesNoMixedProfile) {
  for (std::size_t failAt = 0; failAt < 7; ++failAt) {
    FakeProfile p = WholeProfile();  // armed: restart, Monday 23:00:00
    p.failFromWrite = failAt;
    ScheduleSettings s = LoadSchedule(p);
    ApplyInput in;
    in.timerBoxChecked = true;
    in.powerOffChecked = true;
    in.hour = 8;
    in.minute = 15;
    in.second = 30;
    in.daySelection = 0;
    const ApplyOutcome outcome = ApplySchedule(s, in, p);
    EXPECT_FALSE(outcome.saved) << failAt;
    EXPECT_FALSE(outcome.arm) << failAt;
    EXPECT_EQ(s.enabled, 0) << failAt;
    EXPECT_EQ(p.writes.size(), failAt);
    const ScheduleSettings loaded = LoadSchedule(p);
    if (failAt == 0) {
      EXPECT_EQ(loaded.enabled, 1);  // untouched: the old schedule as it was
      EXPECT_EQ(loaded.action, 0x40u);
      EXPECT_EQ(loaded.timeOfDay.hour, 23);
    } else {
      EXPECT_EQ(loaded.enabled, 0) << failAt;
    }
  }
  // The unchecked box's one write failing is reported too; nothing is armed.
  FakeProfile p = WholeProfile();
  p.failFromWrite = 0;
  ScheduleSettings s = LoadSchedule(p);
  const ApplyOutcome outcome = ApplySchedule(s, ApplyInput{}, p);
  EXPECT_FALSE(outcome.saved);
  EXPECT_FALSE(outcome.arm);
  EXPECT_EQ(s.enabled, 0);
}

TEST(ApplyRule, RadioPrecedenceIsLogOffThenPowerOffThenRestart) {
  struct Case { bool off, logoff, restart; std::uint32_t bit; };
  const Case cases[] = {{true, true, true, 0x20}, {true, false, true, 0x10},
                        {false, false, true, 0x40}, {false, false, false, 0}};
  for (const Case& c : cases) {
    FakeProfile p;
    ScheduleSettings s;
    s.action = 0xFFFF00FFu;  // only bits 8..15 may survive
    ApplyInput in;
    in.timerBoxChecked = true;
    in.powerOffChecked = c.off;
    in.logOffChecked = c.logoff;
    in.restartChecked = c.restart;
    ApplySchedule(s, in, p);
    EXPECT_EQ(s.action, c.bit);
  }
}

TEST(ApplyRule, NoDaySelectedStoresMinusOneWhichNeverMatches) {
  FakeProfile p;
  ScheduleSettings s;
  ApplyInput in;
  in.timerBoxChecked = true;
  in.powerOffChecked = true;
  in.hour = 23;
  in.daySelection = -1;
  ApplySchedule(s, in, p);
  EXPECT_EQ(p.values["SOUND/DWDAY"], -1);
  for (int wd = 1; wd <= 7; ++wd) EXPECT_FALSE(IsScheduleDue(s, At(wd, 23, 0, 0)));
}

TEST(ApplyRule, UncheckedWritesOnlyDwstartAndKeepsTheRest) {
  FakeProfile p;
  ScheduleSettings s;
  s.enabled = 1;
  s.action = 0x40;
  s.timeOfDay = MakeTimeOfDay(6, 5, 4);
  s.day = 3;
  ApplyInput in;  // box unchecked, other fields ignored
  in.hour = 1;
  const ApplyOutcome outcome = ApplySchedule(s, in, p);
  EXPECT_FALSE(outcome.arm);
  EXPECT_TRUE(outcome.saved);
  EXPECT_EQ(p.writes, std::vector<std::string>{"SOUND/DWSTART=0"});
  EXPECT_EQ(s.enabled, 0);
  EXPECT_EQ(s.action, 0x40u);
  EXPECT_EQ(s.timeOfDay.hour, 6);
  EXPECT_EQ(s.day, 3);
}

TEST(DueRule, EveryDayMatchesOnlyTheExactSecond) {
  ScheduleSettings s;
  s.timeOfDay = MakeTimeOfDay(23, 0, 0);
  for (int wd = 1; wd <= 7; ++wd) {
    EXPECT_TRUE(IsScheduleDue(s, At(wd, 23, 0, 0)));
    EXPECT_FALSE(IsScheduleDue(s, At(wd, 22, 59, 59)));
    EXPECT_FALSE(IsScheduleDue(s, At(wd, 23, 0, 1)));
    EXPECT_FALSE(IsScheduleDue(s, At(wd, 23, 1, 0)));
  }
}

TEST(DueRule, WeekdaySelectorComparesWithSundayAsOne) {
  ScheduleSettings s;
  s.timeOfDay = MakeTimeOfDay(7, 30, 0);
  s.day = 2;  // Monday
  EXPECT_TRUE(IsScheduleDue(s, At(2, 7, 30, 0)));
  EXPECT_FALSE(IsScheduleDue(s, At(1, 7, 30, 0)));
  EXPECT_FALSE(IsScheduleDue(s, At(3, 7, 30, 0)));
}

}  // namespace
