#pragma once
// Test helper: a test that waits lets its windows receive what other
// threads post to them, as a dialog's message loop would.
#include <windows.h>

#include <functional>

inline void PumpMessages() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
}

// Pumps until condition holds; false when timeoutMs passed first.
inline bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (!condition()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    PumpMessages();
    ::Sleep(10);
  }
  return true;
}
