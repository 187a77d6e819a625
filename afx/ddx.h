#pragma once
// Data exchange between a dialog's controls and its members.
#include <string>

#include "afx/wnd.h"

class CDataExchange {
 public:
  CDataExchange(CWnd* dialog, BOOL save) : m_pDlgWnd(dialog), m_bSaveAndValidate(save) {}
  CWnd* m_pDlgWnd;
  BOOL m_bSaveAndValidate;
};

// Binds the control with the given id to a control object, once.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
// Moves a control's text: into value when saving, from value otherwise.
void DDX_Text(CDataExchange* dx, int id, std::string& value);
