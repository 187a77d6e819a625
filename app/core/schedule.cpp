#include "app/core/schedule.h"

#include <optional>

#include "app/core/profile_number.h"

const char kScheduleSection[] = "SOUND";

TimeOfDay MakeTimeOfDay(int hour, int minute, int second) {
  const bool valid = hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 &&
                     second >= 0 && second <= 59;
  if (!valid) return TimeOfDay{-1, -1, -1};
  return TimeOfDay{hour, minute, second};
}

namespace {

std::optional<std::int32_t> ReadNumber(ProfileStore& profile, const char* entry) {
  return ParseProfileNumber(profile.GetText(kScheduleSection, entry));
}

}  // namespace

ScheduleSettings LoadSchedule(ProfileStore& profile) {
  const std::optional<std::int32_t> start = ReadNumber(profile, "DWSTART");
  const std::optional<std::int32_t> action = ReadNumber(profile, "DWACTION");
  const std::optional<std::int32_t> hour = ReadNumber(profile, "DWHOUR");
  const std::optional<std::int32_t> minute = ReadNumber(profile, "DWMIN");
  const std::optional<std::int32_t> second = ReadNumber(profile, "DWSEC");
  const std::optional<std::int32_t> day = ReadNumber(profile, "DWDAY");
  ScheduleSettings s;
  s.action = static_cast<std::uint32_t>(action.value_or(0));
  s.timeOfDay = MakeTimeOfDay(hour.value_or(-1), minute.value_or(-1), second.value_or(-1));
  s.day = day.value_or(0);
  // What an interrupted or failed Apply leaves, or a hand edit, arms nothing.
  const bool whole = action && day && s.timeOfDay.IsValid();
  s.enabled = whole ? start.value_or(0) : 0;
  return s;
}

int ShownAction(std::uint32_t action) {
  if (action & kActionPowerOff) return kRadioPowerOff;
  if (action & kActionLogOff) return kRadioLogOff;
  if (action & kActionRestart) return kRadioRestart;
  return kRadioPowerOff;
}

ApplyOutcome ApplySchedule(ScheduleSettings& s, const ApplyInput& in, ProfileStore& profile) {
  if (!in.timerBoxChecked) {
    s.enabled = 0;
    return ApplyOutcome{false, profile.WriteInt(kScheduleSection, "DWSTART", 0)};
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
  s.enabled = 0;
  const struct {
    const char* entry;
    int value;
  } writes[] = {{"DWSTART", 0},
                {"DWACTION", static_cast<int>(s.action)},
                {"DWHOUR", s.timeOfDay.hour},
                {"DWMIN", s.timeOfDay.minute},
                {"DWSEC", s.timeOfDay.second},
                {"DWDAY", s.day},
                {"DWSTART", 1}};
  for (const auto& w : writes) {
    if (!profile.WriteInt(kScheduleSection, w.entry, w.value)) return ApplyOutcome{false, false};
  }
  s.enabled = 1;
  return ApplyOutcome{true, true};
}

bool IsScheduleDue(const ScheduleSettings& s, const ClockReading& now) {
  const bool dayMatches = s.day == 0 || s.day == now.weekday;
  return dayMatches && s.timeOfDay.hour == now.hour && s.timeOfDay.minute == now.minute &&
         s.timeOfDay.second == now.second;
}
