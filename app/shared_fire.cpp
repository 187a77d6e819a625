#include "app/shared_fire.h"

#include <cstdio>

#include "afx/everyone_access.h"
#include "app/core/exit_flags.h"

namespace {

constexpr DWORD kSharedRights = SYNCHRONIZE | EVENT_MODIFY_STATE | MUTEX_MODIFY_STATE;

// Creates the object, or opens the one another user's copy created (whose
// access list lets this copy wait and signal, but not take all access). A
// system without the shared namespace gets the name without its prefix.
template <typename Create, typename Open>
HANDLE CreateOrOpen(const std::string& name, Create create, Open open) {
  // Everyone may wait on, set and take the objects: the copies of other
  // users open them too.
  EveryoneAccess access(kSharedRights);
  HANDLE handle = create(access.attributes(), name.c_str());
  if (handle == nullptr && ::GetLastError() == ERROR_ACCESS_DENIED) handle = open(name.c_str());
  if (handle == nullptr) {
    const std::string local = name.substr(name.find('\\') + 1);
    handle = create(access.attributes(), local.c_str());
    if (handle == nullptr && ::GetLastError() == ERROR_ACCESS_DENIED) handle = open(local.c_str());
  }
  return handle;
}

}  // namespace

std::string SharedFire::CancelEventName(const std::string& key) { return "Global\\VaroTimer.Cancel." + key; }

std::string SharedFire::ClaimMutexName(const std::string& key) { return "Global\\VaroTimer.Claim." + key; }

SharedFire::SharedFire(const std::string& key) {
  m_cancelled.reset(CreateOrOpen(
      CancelEventName(key), [](SECURITY_ATTRIBUTES* sa, const char* n) { return ::CreateEventA(sa, TRUE, FALSE, n); },
      [](const char* n) { return ::OpenEventA(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, n); }));
  m_claim.reset(CreateOrOpen(
      ClaimMutexName(key), [](SECURITY_ATTRIBUTES* sa, const char* n) { return ::CreateMutexA(sa, FALSE, n); },
      [](const char* n) { return ::OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, n); }));
}

bool SharedFire::IsCancelled() const {
  return m_cancelled && ::WaitForSingleObject(m_cancelled.get(), 0) == WAIT_OBJECT_0;
}

void SharedFire::Cancel() {
  if (m_cancelled) ::SetEvent(m_cancelled.get());
}

bool SharedFire::Claim() {
  if (m_claimed) return true;
  if (m_holderEnded) return false;
  if (IsCancelled()) return false;
  // Without the mutex nothing can be shared: this copy decides alone.
  if (!m_claim) return true;
  const DWORD waited = ::WaitForSingleObject(m_claim.get(), 0);
  if (waited == WAIT_ABANDONED) {
    // The copy that held it ended, perhaps after acting: that is no claim
    // for this one. The mutex stays with this copy, unused, so that no
    // third copy takes it either.
    m_holderEnded = true;
    return false;
  }
  if (waited != WAIT_OBJECT_0) return false;
  m_claimed = !IsCancelled();
  if (!m_claimed) ::ReleaseMutex(m_claim.get());
  return m_claimed;
}

void SharedFire::Release() {
  if (!m_claimed) return;
  m_claimed = false;
  if (m_claim) ::ReleaseMutex(m_claim.get());
}

bool SharesFire(std::uint32_t exitFlags) { return (exitFlags & (kExitShutdown | kExitReboot | kExitPowerOff)) != 0; }

std::string SharedFireKey(std::int64_t scheduledSecond) {
  char key[32];
  std::snprintf(key, sizeof key, "%lld", static_cast<long long>(scheduledSecond));
  return key;
}
