#pragma once
// A lock for threads of one process, on the system's critical section: it
// needs no threads runtime, so it works on every Windows the program runs on.
#include <windows.h>

class CriticalSection {
 public:
  CriticalSection() { ::InitializeCriticalSection(&m_section); }
  ~CriticalSection() { ::DeleteCriticalSection(&m_section); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void lock() { ::EnterCriticalSection(&m_section); }
  // Never waits: false when another thread holds the lock.
  bool try_lock() { return ::TryEnterCriticalSection(&m_section) != FALSE; }
  void unlock() { ::LeaveCriticalSection(&m_section); }

 private:
  CRITICAL_SECTION m_section;
};

// Holds a CriticalSection for the life of a scope.
class ScopedLock {
 public:
  explicit ScopedLock(CriticalSection& section) : m_section(section) { m_section.lock(); }
  ~ScopedLock() { m_section.unlock(); }
  ScopedLock(const ScopedLock&) = delete;
  ScopedLock& operator=(const ScopedLock&) = delete;

 private:
  CriticalSection& m_section;
};
