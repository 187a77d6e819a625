#include "afx/ddx.h"

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (control.m_hWnd == nullptr) control.SubclassDlgItem(static_cast<UINT>(id), dx->m_pDlgWnd);
}

void DDX_Text(CDataExchange* dx, int id, std::string& value) {
  HWND item = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id);
  if (!item) return;
  if (dx->m_bSaveAndValidate) {
    const int length = ::GetWindowTextLengthA(item);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(item, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    value = text;
  } else {
    ::SetWindowTextA(item, value.c_str());
  }
}
