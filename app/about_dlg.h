#pragma once
// The about box: the product version from the program's version resource.
#include "afx/controls.h"
#include "afx/dialog.h"

// No message table of its own: OK and Cancel end the box as the base does.
class CAboutDlg : public CDialog {
 public:
  CAboutDlg();

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;

 private:
  CStatic m_versionText;
};
