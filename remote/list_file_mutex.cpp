#include "remote/list_file_mutex.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <utility>

#include "afx/everyone_access.h"
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

HANDLE OpenOrCreateMutex(const std::string& name) {
  // Copies run under different users: Everyone may wait on the mutex and
  // release it, and nothing more.
  EveryoneAccess access(SYNCHRONIZE | MUTEX_MODIFY_STATE);
  HANDLE mutex = ::CreateMutexA(access.attributes(), FALSE, name.c_str());
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
