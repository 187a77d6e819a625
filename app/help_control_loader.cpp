#include "app/help_control_loader.h"

namespace {
const char kHelpControlName[] = "hhctrl.ocx";
constexpr WORD kHtmlHelpOrdinal = 14;
}  // namespace

bool HelpControlLoader::Load() {
  char path[kHelpControlPathSize] = {};
  // The registered path first, then the plain name through the library search.
  if (m_calls.findControlPath(path)) m_module = m_calls.loadLibrary(path);
  if (!m_module) m_module = m_calls.loadLibrary(kHelpControlName);
  return m_module != nullptr;
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
