#pragma once
// The remote power-on window: the list of computers and the wake command.
#include "afx/dialog.h"

class CRemotePowerDlg : public CDialog {
 public:
  CRemotePowerDlg();
  INT_PTR DoModal() override;
};
