#include "afx/dialog.h"

#include <commctrl.h>

#include "afx/app.h"
#include "afx/ddx.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, OnOK)
  ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

namespace {

// The longest a dialog's deferred start-up waits for its window to show.
constexpr UINT kFirstShownLatestMs = 2000;

// The system's class of dialogs and message boxes.
const char kDialogClassName[] = "#32770";

bool IsDialogWindow(HWND hwnd) {
  char name[16] = {};
  return ::GetClassNameA(hwnd, name, sizeof name) > 0 && lstrcmpA(name, kDialogClassName) == 0;
}

void EnsureCommonControls() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_DATE_CLASSES | ICC_LISTVIEW_CLASSES |
                                                 ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    return ::InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)done;
}

}  // namespace

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_pParentWnd(parent) {}

INT_PTR CDialog::DoModal() {
  EnsureCommonControls();
  HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
  if (!owner) {
    // Like the class library, a dialog without a parent is owned by the main
    // window, unless it is the main window itself.
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd && app->m_pMainWnd != this) owner = app->m_pMainWnd->m_hWnd;
  }
  return ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_templateId), owner,
                           &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM, LPARAM lp) {
  if (msg != WM_INITDIALOG) return FALSE;  // the subclassed procedure saw it first
  CDialog* dialog = reinterpret_cast<CDialog*>(lp);
  dialog->SubclassWindow(hwnd);
  const BOOL result = dialog->OnInitDialog();
  // Started with its window hidden (a shortcut may ask for that), the
  // dialog still finishes its start-up.
  if (dialog->m_firstShow == FirstShow::kNotYet &&
      ::SetTimer(hwnd, kFirstShownTimer, kFirstShownLatestMs, nullptr) != 0) {
    dialog->m_firstShow = FirstShow::kAwaitingShow;
  }
  return result;
}

void CDialog::EndDialog(int result) {
  if (m_hWnd) ::EndDialog(m_hWnd, result);
}

BOOL CDialog::UpdateData(BOOL save) {
  HWND previous = g_lockoutNotifyWindow;
  g_lockoutNotifyWindow = m_hWnd;
  CDataExchange dx(this, save);
  DoDataExchange(&dx);
  g_lockoutNotifyWindow = previous;
  return TRUE;
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SHOWWINDOW && wp && (m_firstShow == FirstShow::kNotYet || m_firstShow == FirstShow::kAwaitingShow)) {
    // A modal dialog shows once its queue has run empty. A timer's message
    // comes only when no paint is due either: the window is drawn first.
    m_firstShow = FirstShow::kDue;
    ::SetTimer(m_hWnd, kFirstShownTimer, 1, nullptr);
  } else if (msg == WM_TIMER && wp == kFirstShownTimer) {
    EnsureFirstShown();
    return 0;
  }
  return CWnd::WindowProc(msg, wp, lp);
}

void CDialog::EnsureFirstShown() {
  ::KillTimer(m_hWnd, kFirstShownTimer);
  if (m_firstShow == FirstShow::kDone) return;
  m_firstShow = FirstShow::kDone;
  OnFirstShown();
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (UpdateData(TRUE)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange*) {}

namespace {

struct DialogEnding {
  HWND except;
  int result;
};

BOOL CALLBACK EndOneDialog(HWND hwnd, LPARAM lp) {
  const DialogEnding* ending = reinterpret_cast<const DialogEnding*>(lp);
  if (hwnd != ending->except && IsDialogWindow(hwnd)) ::EndDialog(hwnd, ending->result);
  return TRUE;
}

}  // namespace

void AfxEndThreadDialogs(int result, HWND except) {
  DialogEnding ending = {except, result};
  ::EnumThreadWindows(::GetCurrentThreadId(), &EndOneDialog, reinterpret_cast<LPARAM>(&ending));
  if (except) ::EndDialog(except, result);
}
