#include "tray/minimize_to_tray.h"

void MinimizeToTray(CWnd* window, BOOL) { window->ShowWindow(SW_HIDE); }

void RestoreFromTray(CWnd* window, BOOL) {
  window->ShowWindow(SW_SHOW);
  ::SetForegroundWindow(window->m_hWnd);
}
