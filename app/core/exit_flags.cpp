#include "app/core/exit_flags.h"

#include "app/core/schedule.h"

std::uint32_t ExitFlagsFor(std::uint32_t action, std::int32_t& force, bool isNt5OrLater) {
  std::uint32_t flags = kExitShutdown | kExitPowerOff;
  if (action & kActionPowerOff) {
    flags = kExitShutdown | kExitPowerOff;
  } else if (action & kActionLogOff) {
    flags = kExitLogOff;
    if (!isNt5OrLater) force = 0;
  } else if (action & kActionRestart) {
    flags = kExitReboot;
  }
  if (force != 0) flags |= kExitForce;
  return flags;
}

bool IsNt5OrLater(std::uint32_t platformId, std::uint32_t majorVersion, bool filled) {
  return filled && platformId == kPlatformWin32Nt && majorVersion >= 5;
}
