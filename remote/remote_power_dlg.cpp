#include "remote/remote_power_dlg.h"

#include "res/resource.h"

CRemotePowerDlg::CRemotePowerDlg() : CDialog(IDD_REMOTE) {}

INT_PTR CRemotePowerDlg::DoModal() { return IDCANCEL; }
