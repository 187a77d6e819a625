#pragma once
// The about box.
#include "afx/dialog.h"

class CAboutDlg : public CDialog {
 public:
  CAboutDlg();
  INT_PTR DoModal() override;
};
