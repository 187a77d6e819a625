#pragma once
#include <cstdint>

#include "app/core/profile_store.h"

// Power action bits as kept in the profile entry "DWACTION".
enum PowerAction : std::uint32_t {
  kActionPowerOff = 0x10,
  kActionLogOff = 0x20,
  kActionRestart = 0x40,
};

// Radio buttons of the timer dialog that stand for the actions.
enum ActionRadio : int {
  kRadioPowerOff = 1054,
  kRadioLogOff = 1055,
  kRadioRestart = 1056,
};

// Hour, minute and second of the schedule. Invalid when any field is out of
// range; an invalid time of day reports -1 for all three and never matches.
struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
  bool IsValid() const { return hour >= 0; }
};

TimeOfDay MakeTimeOfDay(int hour, int minute, int second);

// One clock reading in whole seconds, local wall-clock time.
struct ClockReading {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
  int weekday = 7;  // 1 = Sunday ... 7 = Saturday
};

struct ScheduleSettings {
  std::int32_t enabled = 0;
  std::uint32_t action = 0;
  TimeOfDay timeOfDay;
  std::int32_t day = 0;  // 0 every day, 1 Sunday ... 7 Saturday
};

extern const char kScheduleSection[];  // "SOUND"

// Reads the schedule. A profile that says "on" arms only when it holds the
// whole schedule: an action, a valid hour, minute and second and a day, each
// a number (ParseProfileNumber). Otherwise `enabled` is 0, and a time that is
// missing or no time at all stays invalid: no entry reads as midnight.
ScheduleSettings LoadSchedule(ProfileStore& profile);

// The radio button to check for a stored action: the first of 0x10, 0x20,
// 0x40 present, power off when none is.
int ShownAction(std::uint32_t action);

// What the dialog hands over when the user presses Apply.
struct ApplyInput {
  bool timerBoxChecked = false;
  bool powerOffChecked = false;
  bool logOffChecked = false;
  bool restartChecked = false;
  int hour = 0, minute = 0, second = 0;  // the picker's value
  int daySelection = -1;                 // the day list's index, -1 when none
};

struct ApplyOutcome {
  bool arm = false;    // the one-second tick is to run
  bool saved = false;  // every write succeeded
};

// Updates the record and writes the profile. With the box checked, "DWSTART"
// is set to 0 before the other entries change and to 1 only after all of them
// were written, so that a profile which says "on" always holds one whole
// schedule. Writing stops at the first failure; the schedule is then not
// armed (with the box unchecked it never is).
ApplyOutcome ApplySchedule(ScheduleSettings& schedule, const ApplyInput& input, ProfileStore& profile);

bool IsScheduleDue(const ScheduleSettings& schedule, const ClockReading& now);
