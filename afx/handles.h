#pragma once
// Owners of system handles: each closes its handle exactly once.
#include <windows.h>

class KernelHandle {
 public:
  KernelHandle() = default;
  explicit KernelHandle(HANDLE handle) : m_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  ~KernelHandle() { reset(); }
  KernelHandle(KernelHandle&& other) noexcept : m_handle(other.release()) {}
  KernelHandle& operator=(KernelHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  KernelHandle(const KernelHandle&) = delete;
  KernelHandle& operator=(const KernelHandle&) = delete;

  HANDLE get() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }

  void reset(HANDLE handle = nullptr) {
    if (m_handle != nullptr) ::CloseHandle(m_handle);
    m_handle = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
  }
  // For calls that hand out a handle through a pointer.
  HANDLE* receive() {
    reset();
    return &m_handle;
  }
  HANDLE release() {
    HANDLE handle = m_handle;
    m_handle = nullptr;
    return handle;
  }

 private:
  HANDLE m_handle = nullptr;
};

// An owner for a handle that one function closes: null means none.
template <typename Handle, auto Close>
class UniqueHandle {
 public:
  explicit UniqueHandle(Handle handle = nullptr) : m_handle(handle) {}
  ~UniqueHandle() {
    if (m_handle != nullptr) Close(m_handle);
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle get() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }
  // For calls that hand out a handle through a pointer; only on an empty owner.
  Handle* receive() { return &m_handle; }
  // Hands the handle to the caller, who closes it from now on.
  Handle release() {
    Handle handle = m_handle;
    m_handle = nullptr;
    return handle;
  }

 private:
  Handle m_handle;
};

// An open registry key.
using RegistryKey = UniqueHandle<HKEY, &::RegCloseKey>;

// An icon loaded at a size of our choosing (not a shared one).
using IconHandle = UniqueHandle<HICON, &::DestroyIcon>;
