#include "app/help_launcher.h"

#include <cstring>
#include <string>

#include "afx/handles.h"
#include "afx/module_directory.h"

namespace {

const char kHelpFileName[] = "VaroTimer.chm";
const char kHelpControlKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr UINT kHelpDisplayTopic = 0;  // the file's default topic

HMODULE LoadLibraryCall(const char* name) { return ::LoadLibraryA(name); }
FARPROC GetProcAddressCall(HMODULE module, const char* name) { return ::GetProcAddress(module, name); }
UINT GetSystemDirectoryCall(char* buffer, UINT size) { return ::GetSystemDirectoryA(buffer, size); }

HelpControlLoader s_helpLoader({&FindHelpControlPath, &LoadLibraryCall, &GetProcAddressCall, &GetSystemDirectoryCall});

}  // namespace

void ShowHelp() {
  const std::string path = GetModuleDirectory() + kHelpFileName;
  HtmlHelpLoader(::GetDesktopWindow(), path.c_str(), kHelpDisplayTopic, 0);
}

HWND HtmlHelpLoader(HWND owner, const char* file, UINT command, DWORD data) {
  return s_helpLoader.Call(owner, file, command, data);
}

BOOL FindHelpControlPath(char (&path)[kHelpControlPathSize]) {
  return ReadHelpControlPath(HKEY_CLASSES_ROOT, kHelpControlKey, path);
}

BOOL ReadHelpControlPath(HKEY root, const char* subKey, char (&path)[kHelpControlPathSize]) {
  std::memset(path, 0, sizeof path);
  RegistryKey key;
  if (::RegOpenKeyExA(root, subKey, 0, KEY_READ, key.receive()) != ERROR_SUCCESS) return FALSE;
  DWORD size = sizeof path;
  if (::RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size) !=
      ERROR_SUCCESS) {
    std::memset(path, 0, sizeof path);
    return FALSE;
  }
  // A value stored without its NUL is terminated here when there is room;
  // one that fills the whole buffer would be cut off, so it counts as unreadable.
  if (size >= sizeof path && path[sizeof path - 1] != '\0') {
    std::memset(path, 0, sizeof path);
    return FALSE;
  }
  path[size < sizeof path ? size : sizeof path - 1] = '\0';
  return TRUE;
}
