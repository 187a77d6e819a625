#pragma once
// Owns a kernel file handle and closes it once.
#include <windows.h>

class WinFileHandle {
 public:
  explicit WinFileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
  ~WinFileHandle() { Close(); }
  WinFileHandle(const WinFileHandle&) = delete;
  WinFileHandle& operator=(const WinFileHandle&) = delete;

  bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
  HANDLE Get() const { return m_handle; }

  // Closes now; false when the system reports a failure (a late write error).
  bool Close() {
    if (!IsValid()) return true;
    const BOOL closed = ::CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    return closed != FALSE;
  }

 private:
  HANDLE m_handle;
};
