#pragma once
// Loads the HTML Help control on first use and keeps it loaded; after a
// failed load it never tries again. It loads by full path only: a bare name
// would be searched for in the program's own folder first, where a portable
// copy in a Downloads folder could find a planted file of that name.
#include <windows.h>

#include <cstddef>

constexpr std::size_t kHelpControlPathSize = 260;

// The control's help entry point (exported by ordinal 14).
using HtmlHelpEntry = HWND(WINAPI*)(HWND owner, LPCSTR file, UINT command, DWORD_PTR data);

// The system calls the loader makes; tests put their own in.
struct HelpLibraryCalls {
  BOOL (*findControlPath)(char (&path)[kHelpControlPathSize]);
  HMODULE (*loadLibrary)(const char* name);
  FARPROC (*getProcAddress)(HMODULE module, const char* name);
  // As GetSystemDirectoryA: the length written, or the size needed when the
  // buffer is too small, or 0 on failure.
  UINT (*getSystemDirectory)(char* buffer, UINT size);
};

class HelpControlLoader {
 public:
  explicit HelpControlLoader(const HelpLibraryCalls& calls) : m_calls(calls) {}
  // The library is deliberately never freed: help windows it created may
  // still be open when the program ends.
  HelpControlLoader(const HelpControlLoader&) = delete;
  HelpControlLoader& operator=(const HelpControlLoader&) = delete;

  // Passes the four values unchanged to the entry point and answers its
  // result; null when the library or its entry point cannot be had.
  HWND Call(HWND owner, const char* file, UINT command, DWORD data);

 private:
  bool Load();
  bool SystemControlPath(char (&path)[kHelpControlPathSize]) const;

  HelpLibraryCalls m_calls;
  HMODULE m_module = nullptr;
  HtmlHelpEntry m_entry = nullptr;
  int m_loadFailed = 0;  // once set, stays set
};
