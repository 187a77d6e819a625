#include "app/help_control_loader.h"

#include <cstring>

namespace {
const char kHelpControlName[] = "hhctrl.ocx";
constexpr WORD kHtmlHelpOrdinal = 14;

// "C:\..." or "\\server\...": a path the library search does not resolve.
// A registered value left unexpanded ("%SystemRoot%\...") is not one.
bool IsFullPath(const char* path) {
  const bool drive = ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                     path[1] == ':' && path[2] == '\\';
  const bool share = path[0] == '\\' && path[1] == '\\';
  return drive || share;
}
}  // namespace

bool HelpControlLoader::Load() {
  char path[kHelpControlPathSize] = {};
  // The registered path first, then the control in the system folder.
  if (m_calls.findControlPath(path) && IsFullPath(path)) m_module = m_calls.loadLibrary(path);
  if (!m_module && SystemControlPath(path)) m_module = m_calls.loadLibrary(path);
  return m_module != nullptr;
}

bool HelpControlLoader::SystemControlPath(char (&path)[kHelpControlPathSize]) const {
  UINT end = m_calls.getSystemDirectory(path, kHelpControlPathSize);
  if (end == 0 || end >= kHelpControlPathSize) return false;  // failed, or did not fit
  if (path[end - 1] != '\\') path[end++] = '\\';
  if (end + sizeof kHelpControlName > kHelpControlPathSize) return false;
  std::memcpy(path + end, kHelpControlName, sizeof kHelpControlName);
  return true;
}

HWND HelpControlLoader::Call(HWND owner, const char* file, UINT command, DWORD data) {
  if (!m_module) {
    if (m_loadFailed || !Load()) {
      m_loadFailed = 1;
      return nullptr;
    }
  }
  if (!m_entry) {
    // The library stays loaded; each later call repeats only this lookup.
    m_entry = reinterpret_cast<HtmlHelpEntry>(
        m_calls.getProcAddress(m_module, MAKEINTRESOURCEA(kHtmlHelpOrdinal)));
    if (!m_entry) {
      m_loadFailed = 1;
      return nullptr;
    }
  }
  return m_entry(owner, file, command, data);
}
