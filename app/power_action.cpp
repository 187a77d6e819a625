#include "app/power_action.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "afx/app.h"
#include "afx/handles.h"
#include "app/core/exit_flags.h"
#include "app/os_version.h"
#include "res/resource.h"

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

std::uint32_t RequestPowerAction(std::uint32_t action, std::int32_t& force) {
  EnableShutdownPrivilege();
  const std::uint32_t flags = ExitFlagsFor(action, force, IsNt5OrLater());
  if (::ExitWindowsEx(flags, 0)) return 0;
  const DWORD error = ::GetLastError();
  return error != 0 ? error : ERROR_GEN_FAILURE;  // a refusal must never read as success
}

std::string RefusedPowerActionText(std::uint32_t error) {
  char description[512] = {};
  const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                        0, description, sizeof description, nullptr);
  std::string reason(description, length);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) {
    reason.pop_back();
  }
  const std::string format = AfxLoadString(IDS_POWER_REFUSED);
  std::vector<char> text(format.size() + reason.size() + 32);
  std::snprintf(text.data(), text.size(), format.c_str(), reason.c_str(), static_cast<unsigned long>(error));
  return text.data();
}
