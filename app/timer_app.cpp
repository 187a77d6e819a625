#include "app/timer_app.h"

#include "app/help_launcher.h"
#include "app/timer_dlg.h"
#include "banner/com_apartment.h"
#include "tray/minimize_to_tray.h"

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
  // Still at run time: no window is left for static teardown to destroy.
  ReleaseTrayOwner();
  return FALSE;
}

void CTimerApp::OnHelp() { ShowHelp(); }
