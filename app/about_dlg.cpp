#include "app/about_dlg.h"

#include "afx/ddx.h"
#include "app/dpi_pictures.h"
#include "app/version_query.h"
#include "res/resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

void CAboutDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_VERSION, m_versionText);
}

BOOL CAboutDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  ShowLargeIcon(m_hWnd, IDC_ABOUT_ICON, IDR_MAINFRAME);
  // An empty text when the resource lacks the value, in place of "0.0.0.0".
  m_versionText.SetWindowText(GetVersionString(nullptr, "ProductVersion").c_str());
  return TRUE;
}
