#include "app/core/schedule.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// An in-memory profile that also records the order of writes.
class FakeProfile : public ProfileStore {
 public:
  std::map<std::string, int> values;
  std::vector<std::string> writes;

  int GetInt(const char* section, const char* entry, int def) override {
    auto it = values.find(Key(section, entry));
    return it == values.end() ? def : it->second;
  }
  bool WriteInt(const char* section, const char* entry, int value) override {
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

TEST(ScheduleLoad, EmptyProfileIsTimerOffPowerOffMidnightEveryDay) {
  FakeProfile p;
  ScheduleSettings s = LoadSchedule(p);
  EXPECT_EQ(s.enabled, 0);
  EXPECT_EQ(s.action, 0u);
  EXPECT_EQ(ShownAction(s.action), kRadioPowerOff);
  EXPECT_TRUE(s.timeOfDay.IsValid());
  EXPECT_EQ(s.timeOfDay.hour, 0);
  EXPECT_EQ(s.day, 0);
}

TEST(ScheduleLoad, OutOfRangeStoredTimeIsInvalidAndNeverDue) {
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
  EXPECT_TRUE(ApplySchedule(s, in, p));
  const std::vector<std::string> expected = {"SOUND/DWSTART=1", "SOUND/DWACTION=288",
                                             "SOUND/DWHOUR=8",  "SOUND/DWMIN=15",
                                             "SOUND/DWSEC=30",  "SOUND/DWDAY=6"};
  EXPECT_EQ(p.writes, expected);
  EXPECT_EQ(s.enabled, 1);
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
  EXPECT_FALSE(ApplySchedule(s, in, p));
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
