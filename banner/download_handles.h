#pragma once
// The WININET handles of one download, shared by the worker that uses them
// and the caller that waits for it. A caller that gives up closes them: that
// ends a blocking read or send at once, where a worker left alone would
// hold its socket and buffer for as long as a slow server pleases. Each
// handle is closed exactly once, by whichever side comes first.
#include <windows.h>
#include <wininet.h>

#include <vector>

class DownloadHandles {
 public:
  DownloadHandles() { ::InitializeCriticalSection(&m_lock); }
  ~DownloadHandles() {
    CloseAll();
    ::DeleteCriticalSection(&m_lock);
  }
  DownloadHandles(const DownloadHandles&) = delete;
  DownloadHandles& operator=(const DownloadHandles&) = delete;

  // Keeps handle, a child of the handles kept before it. Null, or a handle
  // that arrives after CloseAll (which is closed at once), gives false.
  bool Keep(HINTERNET handle);
  // Closes every kept handle, children first, and refuses later ones.
  void CloseAll();
  bool closed() const;

 private:
  mutable CRITICAL_SECTION m_lock;
  std::vector<HINTERNET> m_handles;
  bool m_closed = false;
};
