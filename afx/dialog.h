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

  // The id of the window timer CDialog keeps for itself.
  static constexpr UINT_PTR kFirstShownTimer = 0xAF01;

 protected:
  // Runs once, after the dialog was first shown and painted, or 2 s after
  // its initialisation if it has not shown by then: start-up work that the
  // user need not wait for goes here instead of OnInitDialog.
  virtual void OnFirstShown() {}
  // Runs OnFirstShown now unless it has run: for a command that needs what
  // it sets up and may come before it.
  void EnsureFirstShown();
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
  virtual void OnOK();
  virtual void OnCancel();
  virtual void DoDataExchange(CDataExchange* dx);

  UINT m_templateId;
  CWnd* m_pParentWnd;

  DECLARE_MESSAGE_MAP()

 private:
  enum class FirstShow { kNotYet, kAwaitingShow, kDue, kDone };
  FirstShow m_firstShow = FirstShow::kNotYet;

  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
};

// Ends every dialog of the calling thread's top-level windows (message boxes
// included) with `result`, `except` last of all when given. Each modal loop
// returns once the call stack unwinds to it; the caller must make sure that
// nothing lasting runs after its DoModal returns.
void AfxEndThreadDialogs(int result, HWND except = nullptr);
