#pragma once
// Thin control classes: each only forwards to the control's messages.
#include <windows.h>
#include <commctrl.h>

#include "afx/wnd.h"

class CStatic : public CWnd {
 public:
  HICON SetIcon(HICON icon) {
    return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(icon)));
  }
};

class CComboBox : public CWnd {
 public:
  int AddString(const char* text) {
    return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
  }
  int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
  int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
  int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
};

class CDateTimeCtrl : public CWnd {
 public:
  // Answers GDT_VALID when the control holds a time.
  DWORD GetTime(SYSTEMTIME& time) const {
    return static_cast<DWORD>(SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)));
  }
  BOOL SetTime(const SYSTEMTIME& time) {
    return static_cast<BOOL>(SendMessage(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time)));
  }
};

// Painting of a window between BeginPaint and EndPaint.
class CPaintDC {
 public:
  explicit CPaintDC(CWnd* wnd) : m_hwnd(wnd->m_hWnd) { m_hDC = ::BeginPaint(m_hwnd, &m_ps); }
  ~CPaintDC() { ::EndPaint(m_hwnd, &m_ps); }
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;
  HDC m_hDC;
  PAINTSTRUCT m_ps;

 private:
  HWND m_hwnd;
};
