#include "app/power_action.h"

#include <windows.h>

#include "afx/handles.h"
#include "app/core/exit_flags.h"
#include "app/os_version.h"

namespace {

void EnableShutdownPrivilege() {
  KernelHandle token;
  ::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.receive());
  TOKEN_PRIVILEGES privileges = {};
  ::LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}

}  // namespace

void RequestPowerAction(std::uint32_t action, std::int32_t& force) {
  EnableShutdownPrivilege();
  const std::uint32_t flags = ExitFlagsFor(action, force, IsNt5OrLater());
  ::ExitWindowsEx(flags, 0);
}
