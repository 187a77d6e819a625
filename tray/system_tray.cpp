#include "tray/system_tray.h"

CSystemTray::CSystemTray() = default;
CSystemTray::~CSystemTray() = default;

BOOL CSystemTray::InitTray(CWnd*, UINT, const char*, HICON, UINT, const char*, const char*, DWORD, UINT) {
  return FALSE;
}

BOOL CSystemTray::DeleteTrayIcon() { return FALSE; }

LRESULT CSystemTray::OnIconNotify(WPARAM, LPARAM) { return 0; }
