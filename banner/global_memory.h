#pragma once
// Owners for global memory blocks: the block itself and a lock on it.
#include <windows.h>

#include <cstdint>

#include "afx/handles.h"

using GlobalBlock = UniqueHandle<HGLOBAL, &::GlobalFree>;

// Keeps a block locked, and so its bytes in place, until unlocked or destroyed.
class GlobalLockGuard {
 public:
  explicit GlobalLockGuard(HGLOBAL block) : m_block(block), m_data(::GlobalLock(block)) {}
  ~GlobalLockGuard() { Unlock(); }
  GlobalLockGuard(const GlobalLockGuard&) = delete;
  GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;

  std::uint8_t* data() const { return static_cast<std::uint8_t*>(m_data); }
  explicit operator bool() const { return m_data != nullptr; }
  void Unlock() {
    if (m_data != nullptr) ::GlobalUnlock(m_block);
    m_data = nullptr;
  }

 private:
  HGLOBAL m_block;
  void* m_data;
};
