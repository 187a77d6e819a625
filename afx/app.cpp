#include "afx/app.h"

#include <cstdio>

#include "afx/core/module_path.h"
#include "afx/module_directory.h"
#include "afx/wnd.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() : m_previous(g_app) { g_app = this; }

CWinApp::~CWinApp() {
  if (g_app == this) g_app = m_previous;
}

BOOL CWinApp::OnCommand(UINT id) {
  if (id != AFX_ID_HELP) return FALSE;
  OnHelp();
  return TRUE;
}

int CWinApp::Run() {
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void CWinApp::SetModule(HINSTANCE instance) {
  m_hInstance = instance;
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(instance, path, MAX_PATH);
  // Split as GetModuleDirectory does: "電源ソフト.exe" is not cut at the
  // second byte of ソ.
  const std::string name = SplitModulePath(path, IsAnsiLeadByte).baseName;
  m_appName = name;
  m_profileName = name + ".INI";
}

UINT CWinApp::GetProfileIntA(const char* section, const char* entry, int defaultValue) {
  return ::GetPrivateProfileIntA(section, entry, defaultValue, m_profileName.c_str());
}

std::string CWinApp::GetProfileStringA(const char* section, const char* entry, const char* defaultValue) {
  // Longer than any number: a longer text is cut, and a cut text is no number.
  char text[64] = {};
  const DWORD length =
      ::GetPrivateProfileStringA(section, entry, defaultValue, text, sizeof(text), m_profileName.c_str());
  return std::string(text, length + 1 < sizeof(text) ? length : 0);
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value) {
  char text[16];
  std::snprintf(text, sizeof(text), "%d", value);
  return ::WritePrivateProfileStringA(section, entry, text, m_profileName.c_str());
}

CWinApp* AfxGetApp() { return g_app; }

HINSTANCE AfxGetResourceHandle() {
  return g_app && g_app->m_hInstance ? g_app->m_hInstance : ::GetModuleHandleA(nullptr);
}

const char* AfxGetAppName() { return g_app ? g_app->m_appName.c_str() : ""; }

void AfxPostAppExit() {
  if (g_app && g_app->m_pMainWnd && g_app->m_pMainWnd->m_hWnd) {
    ::PostMessageA(g_app->m_pMainWnd->m_hWnd, WM_COMMAND, AFX_ID_APP_EXIT, 0);
  }
}

int AfxMessageBox(const char* text, UINT type) {
  HWND owner = nullptr;
  if (g_app && g_app->m_pMainWnd) owner = g_app->m_pMainWnd->m_hWnd;
  HWND active = ::GetActiveWindow();
  if (active) owner = active;
  return ::MessageBoxA(owner, text, AfxGetAppName(), type);
}

int AfxMessageBox(UINT stringId, UINT type) { return AfxMessageBox(AfxLoadString(stringId).c_str(), type); }

std::string AfxLoadString(UINT id) {
  char buffer[1024];
  const int length = ::LoadStringA(AfxGetResourceHandle(), id, buffer, sizeof(buffer));
  return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}
