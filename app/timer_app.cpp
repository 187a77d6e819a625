#include "app/timer_app.h"

#include "app/timer_dlg.h"
#include "banner/com_apartment.h"

namespace {
const char kInstanceMutexName[] = "VARO-SHUTDOWN-TOOL";
}

// The one application object.
CTimerApp theApp;

BOOL CTimerApp::InitInstance() {
  // The mutex is never released or closed: it lives as long as the process.
  ::CreateMutexA(nullptr, TRUE, kInstanceMutexName);
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    ::OutputDebugStringA("VARO-SHUTDOWN-TOOL : ERROR_ALREADY_EXISTS");
    return FALSE;
  }
  const ComApartment com;  // for the browser a banner click starts
  CTimerDlg dialog(nullptr);
  m_pMainWnd = &dialog;
  dialog.DoModal();
  m_pMainWnd = nullptr;
  return FALSE;
}
