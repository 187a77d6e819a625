#include "app/power_action.h"

#include <windows.h>

#include "app/core/exit_flags.h"
#include "app/os_version.h"

namespace {

// Owns the process token while the privilege is adjusted.
class TokenHandle {
 public:
  TokenHandle() = default;
  ~TokenHandle() {
    if (m_handle) ::CloseHandle(m_handle);
  }
  TokenHandle(const TokenHandle&) = delete;
  TokenHandle& operator=(const TokenHandle&) = delete;
  HANDLE* Receive() { return &m_handle; }
  HANDLE Get() const { return m_handle; }

 private:
  HANDLE m_handle = nullptr;
};

void EnableShutdownPrivilege() {
  TokenHandle token;
  ::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Receive());
  TOKEN_PRIVILEGES privileges = {};
  ::LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  ::AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
}

}  // namespace

void RequestPowerAction(std::uint32_t action, std::int32_t& force) {
  EnableShutdownPrivilege();
  const std::uint32_t flags = ExitFlagsFor(action, force, IsNt5OrLater());
  ::ExitWindowsEx(flags, 0);
}
