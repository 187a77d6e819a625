#include "banner/download_handles.h"

namespace {

class Locked {
 public:
  explicit Locked(CRITICAL_SECTION& lock) : m_lock(lock) { ::EnterCriticalSection(&m_lock); }
  ~Locked() { ::LeaveCriticalSection(&m_lock); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  CRITICAL_SECTION& m_lock;
};

}  // namespace

bool DownloadHandles::Keep(HINTERNET handle) {
  if (handle == nullptr) return false;
  {
    Locked locked(m_lock);
    if (!m_closed) {
      m_handles.push_back(handle);
      return true;
    }
  }
  ::InternetCloseHandle(handle);
  return false;
}

void DownloadHandles::CloseAll() {
  std::vector<HINTERNET> handles;
  {
    Locked locked(m_lock);
    m_closed = true;
    handles.swap(m_handles);
  }
  for (auto it = handles.rbegin(); it != handles.rend(); ++it) ::InternetCloseHandle(*it);
}

bool DownloadHandles::closed() const {
  Locked locked(m_lock);
  return m_closed;
}
