#include "remote/list_file_mutex.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

#include "afx/handles.h"

namespace {

// Every session sees the Global namespace; the Local one is per session.
const char kNamePrefix[] = "Global\\VaroTimer.ListFile.";
// A save takes well under a second; far beyond that the other copy hangs,
// and the check before the save still keeps what it saved. The wait blocks
// the window's thread, so it stays below the schedule tick's catch-up (5 s):
// a scheduled second is never missed behind it.
constexpr DWORD kWaitMs = 3000;

class HeldMutex : public ListFileLock {
 public:
  explicit HeldMutex(KernelHandle mutex) : m_mutex(std::move(mutex)) {}
  ~HeldMutex() override { ::ReleaseMutex(m_mutex.get()); }

 private:
  KernelHandle m_mutex;
};

std::string FullUpperPath(const std::string& path) {
  char full[MAX_PATH] = {};
  const DWORD length = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  std::string text = length > 0 && length < MAX_PATH ? std::string(full, length) : path;
  if (!text.empty()) ::CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

// Copies run under different users: a descriptor whose access list lets
// Everyone wait on the mutex and release it, and nothing more (no one else
// may change its access list).
class EveryoneMayUse {
 public:
  EveryoneMayUse() {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    if (!::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &m_everyone)) return;
    m_acl.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + ::GetLengthSid(m_everyone));
    auto* acl = reinterpret_cast<ACL*>(m_acl.data());
    m_ready = ::InitializeAcl(acl, static_cast<DWORD>(m_acl.size()), ACL_REVISION) &&
              ::AddAccessAllowedAce(acl, ACL_REVISION, SYNCHRONIZE | MUTEX_MODIFY_STATE, m_everyone) &&
              ::InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) &&
              ::SetSecurityDescriptorDacl(&m_descriptor, TRUE, acl, FALSE);
  }
  ~EveryoneMayUse() {
    if (m_everyone) ::FreeSid(m_everyone);
  }
  EveryoneMayUse(const EveryoneMayUse&) = delete;
  EveryoneMayUse& operator=(const EveryoneMayUse&) = delete;

  // The creator's default rights when the descriptor could not be made.
  SECURITY_DESCRIPTOR* Get() { return m_ready ? &m_descriptor : nullptr; }

 private:
  PSID m_everyone = nullptr;
  std::vector<std::uint8_t> m_acl;  // ACL entries must stay where the descriptor points
  SECURITY_DESCRIPTOR m_descriptor = {};
  bool m_ready = false;
};

HANDLE OpenOrCreateMutex(const std::string& name) {
  EveryoneMayUse security;
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, security.Get(), FALSE};
  HANDLE mutex = ::CreateMutexA(&attributes, FALSE, name.c_str());
  // Made by another user's copy: this user may wait on it and release it,
  // which is less than creating asks for.
  if (!mutex && ::GetLastError() == ERROR_ACCESS_DENIED) {
    mutex = ::OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str());
  }
  return mutex;
}

}  // namespace

std::string ListMutexName(const std::string& path) {
  std::uint64_t hash = 0xcbf29ce484222325ull;  // 64-bit FNV-1a
  for (unsigned char c : FullUpperPath(path)) hash = (hash ^ c) * 0x100000001b3ull;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%08lx%08lx", static_cast<unsigned long>(hash >> 32),
                static_cast<unsigned long>(hash & 0xFFFFFFFFu));
  return kNamePrefix + std::string(hex);
}

std::unique_ptr<ListFileLock> LockListFile(const std::string& path) {
  KernelHandle mutex(OpenOrCreateMutex(ListMutexName(path)));
  if (!mutex) return nullptr;
  // Abandoned: a copy ended while saving. The replace leaves the list whole
  // whatever the moment it stopped, so the mutex is taken as it is.
  const DWORD waited = ::WaitForSingleObject(mutex.get(), kWaitMs);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return nullptr;
  return std::make_unique<HeldMutex>(std::move(mutex));
}
