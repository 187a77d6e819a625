#pragma once
// The cancellable countdown before the power action.
#include <cstdint>

#include "afx/dialog.h"

class CCountdownDlg : public CDialog {
 public:
  explicit CCountdownDlg(CWnd* parent);
  INT_PTR DoModal() override;
  std::uint32_t m_action = 0;
};
