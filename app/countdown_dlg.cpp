#include "app/countdown_dlg.h"

#include <cstdio>

#include "afx/app.h"
#include "afx/ddx.h"
#include "app/core/schedule.h"
#include "app/dpi_pictures.h"
#include "app/power_action.h"
#include "app/shared_fire.h"
#include "res/resource.h"

#ifdef VARO_TEST_HOOKS
#include <cstdlib>
#endif

namespace {

constexpr UINT_PTR kCountdownTimerId = 123;
// Several readings a second: each number shows as soon as its second has
// passed, however the timer's messages fall.
constexpr UINT kCountdownPeriodMs = 250;
constexpr std::int32_t kCountdownSeconds = 30;
// How long a copy whose count reached 0 waits for another session's copy that
// holds the claim: long enough for that copy's exit call to be answered.
constexpr std::uint32_t kClaimWaitMs = 5000;
// Posted to itself once shown: the foreground can only be asked for then.
constexpr UINT WM_BRING_TO_FRONT = WM_APP + 0x31;
// Flashes of the taskbar button while the window is not in front.
constexpr FLASHWINFO kFlashUntilInFront = {sizeof(FLASHWINFO), nullptr, FLASHW_ALL | FLASHW_TIMERNOFG, 0, 0};

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
  ON_MESSAGE(WM_BRING_TO_FRONT, OnBringToFront)
  ON_MESSAGE(WM_CLOSE, OnCloseRequest)
  ON_MESSAGE(WM_SYSCOMMAND, OnSysCommand)
  ON_MESSAGE(WM_ENDSESSION, OnEndSession)
  ON_MESSAGE(WM_SHOWWINDOW, OnShowWindow)
  ON_MESSAGE(WM_WINDOWPOSCHANGED, OnWindowPosChanged)
  ON_MESSAGE(WM_POWERBROADCAST, OnPowerBroadcast)
END_MESSAGE_MAP()

namespace {

bool ProgramIsExiting() {
  const CWinApp* app = AfxGetApp();
  return app != nullptr && app->IsExiting();
}

}  // namespace

CCountdownDlg::CCountdownDlg(CWnd* parent) : CDialog(IDD_COUNTDOWN, parent), m_pParent(parent) {}

void CCountdownDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_ACTIONICON, m_icon);
  DDX_Control(dx, IDC_COUNT, m_count);
}

BOOL CCountdownDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_force = 1;
  m_remaining = StartCount();

  const UINT iconId = ActionIconId(m_action);
  ShowLargeIcon(m_hWnd, IDC_ACTIONICON, iconId ? iconId : IDI_POWEROFF);
  SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetTimer(kCountdownTimerId, kCountdownPeriodMs);
  PostMessage(WM_BRING_TO_FRONT);
  // Cancel is the only tab stop: it takes the focus, so Enter and Space press it.
  return TRUE;
}

std::int32_t CCountdownDlg::StartCount() const { return CountdownStart(); }

std::uint32_t CCountdownDlg::NowMs() const { return ::GetTickCount(); }

std::uint32_t CCountdownDlg::CallPowerAction() { return RequestPowerAction(m_action, m_force); }

LRESULT CCountdownDlg::OnBringToFront(WPARAM, LPARAM) {
  // A program in the background may not take the foreground: the keys then
  // go on to whatever the user is typing in. Topmost keeps Cancel in sight
  // for the mouse, and the flashing button says where the keys do not go.
  // Shown here rather than once the dialog's loop is idle, with ShowWindow:
  // a window shown by SetWindowPos gets no WM_SHOWWINDOW.
  if (!::IsWindowVisible(m_hWnd)) ::ShowWindow(m_hWnd, SW_SHOW);
  if (!m_clock) m_clock.emplace(m_remaining, NowMs());
  SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ::SetForegroundWindow(m_hWnd);
  if (::GetForegroundWindow() != m_hWnd) {
    FLASHWINFO flash = kFlashUntilInFront;
    flash.hwnd = m_hWnd;
    ::FlashWindowEx(&flash);
  }
  return 0;
}

void CCountdownDlg::OnTimer(UINT_PTR id) {
  if (id != kCountdownTimerId) {
    CWnd::OnTimer(id);
    return;
  }
  if (m_ended) {  // a tick queued before the end
    KillTimer(kCountdownTimerId);
    return;
  }
  if (ProgramIsExiting()) {  // a tick that outran the exit
    Stop(IDCANCEL);
    return;
  }
  if (m_shared != nullptr && m_shared->IsCancelled()) {
    // Cancelled in another session's copy.
    m_endedElsewhere = true;
    Stop(IDCANCEL);
    return;
  }
  if (m_claimWaitBegan) {
    DoPowerAction();
    return;
  }
  if (!m_clock) {
    // Counted from the moment the window shows, whichever comes first.
    if (::IsWindowVisible(m_hWnd)) m_clock.emplace(m_remaining, NowMs());
    return;
  }
  // Counted in time seen awake, not in messages: a forged or early WM_TIMER
  // does not bring zero sooner.
  const std::int32_t left = m_clock->Advance(NowMs());
  if (left == m_remaining) return;
  m_remaining = left;
  char text[16];
  std::snprintf(text, sizeof text, "%d ", static_cast<int>(m_remaining));
  m_count.SetWindowText(text);
  if (m_remaining < 1) {
    KillTimer(kCountdownTimerId);
    DoPowerAction();
  }
  CWnd::OnTimer(id);
}

void CCountdownDlg::MarkEnded() {
  m_ended = true;
  if (m_hWnd) KillTimer(kCountdownTimerId);
}

void CCountdownDlg::Stop(int result) {
  MarkEnded();
  EndDialog(result);
}

void CCountdownDlg::OnCancelButton() { Stop(0); }

// Enter without the dialog manager taking Cancel as the default button.
void CCountdownDlg::OnOK() { Stop(IDOK); }

void CCountdownDlg::OnCancel() { Stop(IDCANCEL); }

LRESULT CCountdownDlg::OnSysCommand(WPARAM command, LPARAM) {
  // The close box and Alt+F4 come this way: the user's own cancel.
  if ((command & 0xFFF0) == SC_CLOSE) m_userClosing = true;
  const LRESULT result = Default();
  m_userClosing = false;
  return result;
}

LRESULT CCountdownDlg::OnCloseRequest(WPARAM, LPARAM) {
  // Ended here, not through the IDCANCEL the dialog manager would post: that
  // may wait behind an inner loop. Another program's close (taskkill asks
  // every window of the program) ends this copy's count only; the copies in
  // other sessions go on unless the user cancelled.
  if (!m_userClosing) m_endedElsewhere = true;
  Stop(IDCANCEL);
  return 0;
}

LRESULT CCountdownDlg::OnEndSession(WPARAM ending, LPARAM) {
  // The session is ending already: a count reaching 0 now would turn the
  // user's own shutdown into a forced power-off or restart.
  if (ending) {
    m_endedElsewhere = true;  // not the user's cancel: other sessions go on
    Stop(IDCANCEL);
  }
  return 0;
}

// Sleep ends the countdown rather than pausing it. A user who closed the lid
// during the count meant the PC to go down, and it did; on waking, the user
// comes back to the sign-in screen, where a countdown on the desktop behind
// it cannot be seen, and 30 s are soon gone while typing a password. Any
// resume message ends it too, for a sleep that was not announced.
LRESULT CCountdownDlg::OnPowerBroadcast(WPARAM event, LPARAM) {
  switch (event) {
    case PBT_APMSUSPEND:
    case PBT_APMRESUMESUSPEND:
    case PBT_APMRESUMECRITICAL:
    case PBT_APMRESUMEAUTOMATIC:
      Stop(IDCANCEL);
      break;
    default:
      break;
  }
  return TRUE;
}

LRESULT CCountdownDlg::OnShowWindow(WPARAM show, LPARAM status) {
  // An owner minimised hides its owned windows; this one stays in sight, so
  // that the user can still cancel what it is about to do.
  if (!show && status == SW_PARENTCLOSING) return 0;
  return Default();
}

LRESULT CCountdownDlg::OnWindowPosChanged(WPARAM, LPARAM pos) {
  // EndDialog hides the window without telling the dialog: it is the one
  // mark of an end from elsewhere (the exit ends every dialog that way).
  const WINDOWPOS* change = reinterpret_cast<const WINDOWPOS*>(pos);
  if (change && (change->flags & SWP_HIDEWINDOW)) MarkEnded();
  return Default();
}

void CCountdownDlg::DoPowerAction() {
  // Only a countdown still in sight and never ended may act.
  if (m_ended || ProgramIsExiting() || !::IsWindowVisible(m_hWnd)) {
    Stop(IDCANCEL);
    return;
  }
  // Another session's copy acts, or some copy was cancelled: not this one.
  // A copy that holds the claim and still runs may yet be refused the
  // action and give it up: this one waits a little for that, ticking on.
  if (m_shared != nullptr && !m_shared->Claim()) {
    if (!m_shared->IsCancelled() && !m_shared->HolderEnded()) {
      if (!m_claimWaitBegan) m_claimWaitBegan = NowMs();
      // Unsigned difference: right across the tick count's wrap.
      if (NowMs() - *m_claimWaitBegan < kClaimWaitMs) {
        SetTimer(kCountdownTimerId, kCountdownPeriodMs);
        return;
      }
    }
    m_endedElsewhere = true;
    Stop(IDCANCEL);
    return;
  }
  m_powerStepRan = true;
  m_powerError = CallPowerAction();
  if (m_powerError != 0) {
    // Refused here: a copy in another session may be allowed the action.
    if (m_shared != nullptr) m_shared->Release();
    // Hiding the timer window now would look like a PC on its way down.
    Stop(0);
    return;
  }
  // The timer window takes this like its Close button: it hides into the tray.
  if (m_pParent) ::PostMessageA(m_pParent->m_hWnd, WM_CLOSE, 0, 0);
  Stop(0);
}
