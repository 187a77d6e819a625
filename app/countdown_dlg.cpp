#include "app/countdown_dlg.h"

#include <cstdio>

#include "afx/app.h"
#include "afx/ddx.h"
#include "app/core/schedule.h"
#include "app/power_action.h"
#include "res/resource.h"

#ifdef VARO_TEST_HOOKS
#include <cstdlib>
#endif

namespace {

constexpr UINT_PTR kCountdownTimerId = 123;
constexpr UINT kCountdownPeriodMs = 1000;
constexpr std::int32_t kCountdownSeconds = 30;

// The icon of the first action bit present, in the order the exit call tests
// them; none of them keeps the template's power-off icon.
UINT ActionIconId(std::uint32_t action) {
  if (action & kActionPowerOff) return IDI_POWEROFF;
  if (action & kActionLogOff) return IDI_LOGOFF;
  if (action & kActionRestart) return IDI_RESTART;
  return 0;
}

#ifdef VARO_TEST_HOOKS
// Test builds only: VARO_TEST_COUNTDOWN_FROM=N (1..30) starts the count at N,
// so that end-to-end runs reach zero in a few seconds.
std::int32_t CountdownStart() {
  const char* text = std::getenv("VARO_TEST_COUNTDOWN_FROM");
  if (!text) return kCountdownSeconds;
  const long value = std::strtol(text, nullptr, 10);
  return value >= 1 && value <= kCountdownSeconds ? static_cast<std::int32_t>(value) : kCountdownSeconds;
}
#else
constexpr std::int32_t CountdownStart() { return kCountdownSeconds; }
#endif

}  // namespace

BEGIN_MESSAGE_MAP(CCountdownDlg, CDialog)
  ON_WM_TIMER()
  ON_COMMAND(IDC_COUNTDOWN_CANCEL, OnCancelButton)
END_MESSAGE_MAP()

CCountdownDlg::CCountdownDlg(CWnd* parent) : CDialog(IDD_COUNTDOWN, parent), m_pParent(parent) {}

void CCountdownDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_ACTIONICON, m_icon);
  DDX_Control(dx, IDC_COUNT, m_count);
}

BOOL CCountdownDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_force = 1;
  m_remaining = CountdownStart();

  if (const UINT iconId = ActionIconId(m_action)) {
    m_icon.SetIcon(::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(iconId)));
  }
  SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetTimer(kCountdownTimerId, kCountdownPeriodMs);
  // Cancel is the only tab stop: it takes the focus, so Enter and Space press it.
  return TRUE;
}

void CCountdownDlg::OnTimer(UINT_PTR id) {
  if (id == kCountdownTimerId) {
    --m_remaining;
    char text[16];
    std::snprintf(text, sizeof text, "%d ", static_cast<int>(m_remaining));
    m_count.SetWindowText(text);
    if (m_remaining < 1) {
      KillTimer(kCountdownTimerId);
      DoPowerAction();
    }
  }
  CWnd::OnTimer(id);
}

void CCountdownDlg::OnCancelButton() {
  KillTimer(kCountdownTimerId);
  EndDialog(0);
}

void CCountdownDlg::DoPowerAction() {
  RequestPowerAction(m_action, m_force);
  // The timer window takes this like its Close button: it hides into the tray.
  if (m_pParent) ::PostMessageA(m_pParent->m_hWnd, WM_CLOSE, 0, 0);
  EndDialog(0);
}
