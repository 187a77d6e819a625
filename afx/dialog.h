#pragma once
// CDialog: a dialog built from a dialog template, run modally by the system's
// dialog manager, with initialisation, OK, Cancel and data exchange hooks.
#include "afx/wnd.h"

class CDataExchange;

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);

  // Runs the dialog modally; returns what EndDialog was given, -1 on failure.
  virtual INT_PTR DoModal();
  void EndDialog(int result);
  // Moves data between the controls and the members (save = TRUE: to members).
  BOOL UpdateData(BOOL save = TRUE);

  virtual BOOL OnInitDialog();

 protected:
  virtual void OnOK();
  virtual void OnCancel();
  virtual void DoDataExchange(CDataExchange* dx);

  UINT m_templateId;
  CWnd* m_pParentWnd;

  DECLARE_MESSAGE_MAP()

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
};

// Ends every dialog of the calling thread's top-level windows (message boxes
// included) with `result`, `except` last of all when given. Each modal loop
// returns once the call stack unwinds to it; the caller must make sure that
// nothing lasting runs after its DoModal returns.
void AfxEndThreadDialogs(int result, HWND except = nullptr);
