#include "app/countdown_dlg.h"

#include "res/resource.h"

CCountdownDlg::CCountdownDlg(CWnd* parent) : CDialog(IDD_COUNTDOWN, parent) {}

INT_PTR CCountdownDlg::DoModal() { return IDCANCEL; }
