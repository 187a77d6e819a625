#pragma once
// Runs a modal dialog while a helper thread finds its window and drives it.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "afx/dialog.h"

// A UTF-8 text in the ANSI code page, as the A-functions take and give it.
inline std::string AnsiFromUtf8(const char* utf8) {
  wchar_t wide[256] = {};
  ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 256);
  char ansi[512] = {};
  ::WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, nullptr, nullptr);
  return ansi;
}

inline std::string WindowTextOf(HWND hwnd) {
  char text[256] = {};
  ::SendMessageA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

// Answers DoModal's result. `watch` gets the dialog's window once it is
// visible (found by its ANSI caption). If the window never shows, or `watch`
// leaves it open, it is ended with -1 so that the test cannot hang. Both
// waits are bounded in time, not in tries, and end as soon as the dialog
// has acted: a busy machine only makes them longer.
inline INT_PTR RunModalWatched(CDialog& dialog, const std::string& caption,
                               const std::function<void(HWND)>& watch) {
  constexpr auto kBound = std::chrono::seconds(30);
  std::atomic<bool> done{false};
  std::thread watcher([&] {
    HWND hwnd = nullptr;
    const auto showDeadline = std::chrono::steady_clock::now() + kBound;
    while (!hwnd && !done && std::chrono::steady_clock::now() < showDeadline) {
      HWND found = ::FindWindowA("#32770", caption.c_str());
      if (found && ::IsWindowVisible(found)) {
        hwnd = found;
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
      }
    }
    if (!hwnd) {
      ADD_FAILURE() << "dialog did not show";
      if (HWND hidden = ::FindWindowA("#32770", caption.c_str())) ::EndDialog(hidden, -1);
      return;
    }
    watch(hwnd);
    const auto endDeadline = std::chrono::steady_clock::now() + kBound;
    while (!done && std::chrono::steady_clock::now() < endDeadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    if (!done) {
      ADD_FAILURE() << "dialog still open";
      ::EndDialog(hwnd, -1);
    }
  });
  const INT_PTR result = dialog.DoModal();
  done = true;
  watcher.join();
  return result;
}
