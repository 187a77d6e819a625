#include "app/timer_app.h"

#include "app/help_launcher.h"
#include "app/timer_dlg.h"
#include "tray/minimize_to_tray.h"

namespace {
const char kInstanceMutexName[] = "VARO-SHUTDOWN-TOOL";
}

// The one application object.
CTimerApp theApp;

bool AnotherCopyHoldsTheMutex(DWORD error) {
  return error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
}

DWORD CTimerApp::CreateInstanceMutex() {
  // The mutex is never released or closed: it lives as long as the process.
  ::SetLastError(ERROR_SUCCESS);
  ::CreateMutexA(nullptr, TRUE, kInstanceMutexName);
  return ::GetLastError();
}

BOOL CTimerApp::InitInstance() {
  const DWORD error = CreateInstanceMutex();
  if (AnotherCopyHoldsTheMutex(error)) {
    ::OutputDebugStringA(error == ERROR_ACCESS_DENIED ? "VARO-SHUTDOWN-TOOL : ERROR_ACCESS_DENIED"
                                                      : "VARO-SHUTDOWN-TOOL : ERROR_ALREADY_EXISTS");
    return FALSE;
  }
  RunTimerWindow();
  return FALSE;
}

void CTimerApp::RunTimerWindow() {
  CTimerDlg dialog(nullptr);
  m_pMainWnd = &dialog;
  dialog.DoModal();
  m_pMainWnd = nullptr;
  // Still at run time: no window is left for static teardown to destroy.
  ReleaseTrayOwner();
}

void CTimerApp::OnHelp() { ShowHelp(); }
