#include "app/core/schedule.h"

const char kScheduleSection[] = "SOUND";

TimeOfDay MakeTimeOfDay(int hour, int minute, int second) {
  const bool valid = hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 &&
                     second >= 0 && second <= 59;
  if (!valid) return TimeOfDay{-1, -1, -1};
  return TimeOfDay{hour, minute, second};
}

ScheduleSettings LoadSchedule(ProfileStore& profile) {
  ScheduleSettings s;
  s.enabled = profile.GetInt(kScheduleSection, "DWSTART", 0);
  s.action = static_cast<std::uint32_t>(profile.GetInt(kScheduleSection, "DWACTION", 0));
  const int hour = profile.GetInt(kScheduleSection, "DWHOUR", 0);
  const int minute = profile.GetInt(kScheduleSection, "DWMIN", 0);
  const int second = profile.GetInt(kScheduleSection, "DWSEC", 0);
  s.timeOfDay = MakeTimeOfDay(hour, minute, second);
  s.day = profile.GetInt(kScheduleSection, "DWDAY", 0);
  return s;
}

int ShownAction(std::uint32_t action) {
  if (action & kActionPowerOff) return kRadioPowerOff;
  if (action & kActionLogOff) return kRadioLogOff;
  if (action & kActionRestart) return kRadioRestart;
  return kRadioPowerOff;
}

bool ApplySchedule(ScheduleSettings& s, const ApplyInput& in, ProfileStore& profile) {
  if (!in.timerBoxChecked) {
    s.enabled = 0;
    profile.WriteInt(kScheduleSection, "DWSTART", 0);
    return false;
  }
  // Bits 8 to 15 of the stored action survive an Apply; the rest is rebuilt.
  s.action &= 0xFF00u;
  if (in.logOffChecked) {
    s.action |= kActionLogOff;
  } else if (in.powerOffChecked) {
    s.action |= kActionPowerOff;
  } else if (in.restartChecked) {
    s.action |= kActionRestart;
  }
  s.timeOfDay = MakeTimeOfDay(in.hour, in.minute, in.second);
  s.day = in.daySelection;
  s.enabled = 1;
  profile.WriteInt(kScheduleSection, "DWSTART", 1);
  profile.WriteInt(kScheduleSection, "DWACTION", static_cast<int>(s.action));
  profile.WriteInt(kScheduleSection, "DWHOUR", s.timeOfDay.hour);
  profile.WriteInt(kScheduleSection, "DWMIN", s.timeOfDay.minute);
  profile.WriteInt(kScheduleSection, "DWSEC", s.timeOfDay.second);
  profile.WriteInt(kScheduleSection, "DWDAY", s.day);
  return true;
}

bool IsScheduleDue(const ScheduleSettings& s, const ClockReading& now) {
  const bool dayMatches = s.day == 0 || s.day == now.weekday;
  return dayMatches && s.timeOfDay.hour == now.hour && s.timeOfDay.minute == now.minute &&
         s.timeOfDay.second == now.second;
}
