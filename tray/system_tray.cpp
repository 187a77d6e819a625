#include "tray/system_tray.h"

#include <oleauto.h>

#ifdef VARO_TEST_HOOKS
#include <cstdlib>
#endif

#include "afx/app.h"
#include "afx/menu.h"
#include "afx/wndcreate.h"
#include "tray/core/icon_animation.h"
#include "tray/core/icon_notify.h"
#include "tray/core/tip_copy.h"

const UINT CSystemTray::s_taskbarCreatedMsg = ::RegisterWindowMessageA("TaskbarCreated");

BEGIN_MESSAGE_MAP(CSystemTray, CWnd)
  ON_WM_TIMER()
  ON_MESSAGE(WM_SETTINGCHANGE, OnSettingChangeMessage)
  ON_REGISTERED_MESSAGE(s_taskbarCreatedMsg, OnTaskbarRecreated)
  ON_MESSAGE(WM_CLOSE, OnCloseRequest)
  ON_MESSAGE(WM_ENDSESSION, OnEndSession)
END_MESSAGE_MAP()

namespace {

// Lead bytes of the ANSI code page, which the shell reads the texts in.
bool IsAnsiLeadByte(unsigned char byte) { return ::IsDBCSLeadByte(byte) != FALSE; }

template <std::size_t N>
void CopyText(CHAR (&field)[N], const char* text, std::size_t maxBytes) {
  CopyMultibyteBounded(field, N, text, maxBytes, IsAnsiLeadByte);
}

// The retry timer of the hidden window, apart from the animation's.
constexpr UINT_PTR kRetryTimerId = 0x7A11;

// The hidden window's class, under its fixed name; the object's own
// procedure takes over once the window is bound to it.
const char* RegisterTrayWindowClass() {
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSA existing;
  if (!::GetClassInfoA(instance, kTrayWindowClass, &existing)) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = kTrayWindowClass;
    ::RegisterClassA(&wc);
  }
  return kTrayWindowClass;
}

double LocalNowInDays() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  double days = 0.0;
  ::SystemTimeToVariantTime(&now, &days);
  return days;
}

}  // namespace

CSystemTray::CSystemTray()
    : m_state([this](std::uint32_t message, std::uint32_t flags) {
        m_iconData.uFlags = flags;
        return CallShell(message) != FALSE;
      }) {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  if (::GetVersionExA(&version)) {
    m_balloonCapable = IsBalloonCapable(version.dwPlatformId, version.dwMajorVersion);
  }
}

CSystemTray::~CSystemTray() {
  DeleteTrayIcon();
  if (m_retryPeriodMs != 0 && m_hWnd) ::KillTimer(m_hWnd, kRetryTimerId);
  m_animIcons.clear();
  m_animIcons.shrink_to_fit();
  AfxDestroyWindow(*this);
}

BOOL CSystemTray::InitTray(CWnd* parent, UINT callbackMessage, const char* tip, HICON icon, UINT id,
                           const char* balloonText, const char* balloonTitle, DWORD balloonIconFlags,
                           UINT balloonTimeoutSeconds) {
  if (!PrepareTray(parent, callbackMessage, tip, icon, id, balloonText, balloonTitle, balloonIconFlags,
                   balloonTimeoutSeconds)) {
    return FALSE;
  }
  return AddPreparedIcon();
}

BOOL CSystemTray::PrepareTray(CWnd* parent, UINT callbackMessage, const char* tip, HICON icon, UINT id,
                              const char* balloonText, const char* balloonTitle, DWORD balloonIconFlags,
                              UINT balloonTimeoutSeconds) {
  if (!m_state.EnableFor(LOBYTE(LOWORD(::GetVersion())))) return FALSE;

  // Never shown; it is here to hear "TaskbarCreated" and setting changes.
  AfxCreateWindowEx(*this, 0, RegisterTrayWindowClass(), "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr);

  m_iconData.cbSize = kNotifyIconRecordSize;
  HWND parentWindow = parent ? parent->GetSafeHwnd() : nullptr;
  m_iconData.hWnd = parentWindow ? parentWindow : m_hWnd;
  m_iconData.uID = id;
  m_iconData.hIcon = icon;
  m_iconData.uCallbackMessage = callbackMessage;
  CopyText(m_iconData.szTip, tip, kTipMaxBytes);

  m_iconData.uFlags = FirstAddFlags(m_balloonCapable, balloonText != nullptr);
  if (m_balloonCapable && balloonText != nullptr) {
    CopyText(m_iconData.szInfo, balloonText, kInfoMaxBytes);
    CopyText(m_iconData.szInfoTitle, balloonTitle, kInfoTitleMaxBytes);
    m_iconData.uTimeout = balloonTimeoutSeconds * 1000;
    m_iconData.dwInfoFlags = balloonIconFlags;
  }
  return TRUE;
}

BOOL CSystemTray::AddPreparedIcon() {
  if (!m_state.trayUsable()) return FALSE;
  const bool added = m_state.AddFirst(m_iconData.uFlags);
  // Later calls with the same record must not show the balloon again.
  m_iconData.szInfo[0] = '\0';
  ScheduleRetry();
  return added;
}

BOOL CSystemTray::DeleteTrayIcon() {
  const BOOL deleted = m_state.Delete();
  ScheduleRetry();  // nothing to try any more: stops the timer
  return deleted;
}

namespace {

// How long an add may wait for the taskbar to answer at all.
constexpr UINT kShellProbeMs = 250;

// Whether the taskbar answers within a moment. Shell_NotifyIconA waits as
// long as a hung shell hangs (Wine's without any limit), and the adds run on
// the user-interface thread, whose schedule tick catches up only 5 seconds:
// an add to a shell that does not answer now counts as refused, and the
// retries try again later.
bool ShellAnswersPromptly() {
  HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr);
  if (!taskbar) return true;  // then the call fails at once by itself
  DWORD_PTR ignored = 0;
  return ::SendMessageTimeoutA(taskbar, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kShellProbeMs, &ignored) != 0;
}

}  // namespace

#ifdef VARO_TEST_HOOKS
// Test builds only, a shell that is not there yet or too busy:
// VARO_TEST_TRAY_REFUSE_WHILE=<file>: every add fails while the file exists;
// VARO_TEST_TRAY_ADD_TIMES_OUT=1: the first add that gets through puts the
// icon up but answers failure, as an add that timed out does.
BOOL CSystemTray::CallShell(DWORD message) {
  if (message == NIM_ADD && !ShellAnswersPromptly()) return FALSE;
  if (message == NIM_ADD) {
    const char* refuseWhile = std::getenv("VARO_TEST_TRAY_REFUSE_WHILE");
    if (refuseWhile && ::GetFileAttributesA(refuseWhile) != INVALID_FILE_ATTRIBUTES) return FALSE;
    static bool timedOut = false;
    const char* timesOut = std::getenv("VARO_TEST_TRAY_ADD_TIMES_OUT");
    if (timesOut && !timedOut) {
      timedOut = true;
      NotifyIcon(message, m_iconData);
      return FALSE;
    }
  }
  return NotifyIcon(message, m_iconData);
}
#else
BOOL CSystemTray::CallShell(DWORD message) {
  if (message == NIM_ADD && !ShellAnswersPromptly()) return FALSE;
  return NotifyIcon(message, m_iconData);
}
#endif

void CSystemTray::ScheduleRetry() {
  if (!m_state.needsRetry()) {
    if (m_retryPeriodMs != 0) ::KillTimer(m_hWnd, kRetryTimerId);
    m_retryPeriodMs = 0;
    return;
  }
  if (m_retryPeriodMs == 0) m_retriesBegan = ::GetTickCount();
  // Unsigned difference: right across the tick count's wrap after 49.7 days.
  const UINT period = TrayRetryPeriodMs(::GetTickCount() - m_retriesBegan);
  if (period != m_retryPeriodMs && ::SetTimer(m_hWnd, kRetryTimerId, period, nullptr) != 0) {
    m_retryPeriodMs = period;
  }
}

void CSystemTray::OnRetryTimer() {
  m_state.RetryAdd();
  ScheduleRetry();
}

BOOL CSystemTray::ChangeIcon(HICON icon) {
  if (!m_state.trayUsable()) return FALSE;
  m_iconData.hIcon = icon;
  return m_state.ChangeIcon();
}

CWnd* CSystemTray::GetNotifyTarget() const {
  CWinApp* app = AfxGetApp();
  return app ? app->m_pMainWnd : nullptr;
}

void CSystemTray::PrepareTrayMenu(CMenu*) {}

bool CSystemTray::LookUpDefaultCommand(UINT& command) const {
  if (!m_defaultByPosition) {
    command = m_defaultItem;
    return true;
  }
  CMenu menu;
  if (!menu.LoadMenu(TrayMenuResourceFor(m_iconData.uID))) return false;
  CMenu popup = menu.GetSubMenu(0);
  if (!popup.GetSafeHmenu()) return false;
  command = popup.GetMenuItemID(static_cast<int>(m_defaultItem));
  return true;
}

LRESULT CSystemTray::OnIconNotify(WPARAM id, LPARAM mouseMessage) {
  CWnd* target = GetNotifyTarget();
  const bool hasTarget = target != nullptr && target->GetSafeHwnd() != nullptr;
  switch (ClassifyIconNotify(id, static_cast<std::uintptr_t>(mouseMessage), m_iconData.uID, hasTarget)) {
    case IconNotifyAction::kNotOurs:
      return 0;
    case IconNotifyAction::kNothing:
      return 1;
    case IconNotifyAction::kShowMenu: {
      CMenu menu;
      if (!menu.LoadMenu(TrayMenuResourceFor(m_iconData.uID))) return 0;
      CMenu popup = menu.GetSubMenu(0);
      if (!popup.GetSafeHmenu()) return 0;
      popup.SetDefaultItem(m_defaultItem, m_defaultByPosition);
      PrepareTrayMenu(&popup);
      POINT cursor = {};
      ::GetCursorPos(&cursor);
      // Without the foreground the menu would not close on a click elsewhere;
      // the WM_NULL afterwards lets a second right click open it again.
      ::SetForegroundWindow(target->m_hWnd);
      popup.TrackPopupMenu(0, cursor.x, cursor.y, target);
      target->PostMessage(WM_NULL);
      return 1;
    }
    case IconNotifyAction::kRunDefault: {
      ::SetForegroundWindow(target->m_hWnd);
      UINT command = 0;
      if (!LookUpDefaultCommand(command)) return 0;
      target->PostMessage(WM_COMMAND, command);
      return 1;
    }
  }
  return 0;
}

LRESULT CSystemTray::WindowProc(UINT message, WPARAM wp, LPARAM lp) {
  // Serves when InitTray had no parent: the shell then notifies this window.
  if (m_iconData.uCallbackMessage != 0 && message == m_iconData.uCallbackMessage) {
    return OnIconNotify(wp, lp);
  }
  return CWnd::WindowProc(message, wp, lp);
}

LRESULT CSystemTray::OnTaskbarRecreated(WPARAM, LPARAM) {
  m_state.OnTaskbarCreated();
  ScheduleRetry();
  return 0;
}

LRESULT CSystemTray::OnCloseRequest(WPARAM, LPARAM) {
  // What taskkill without /F and an installer send. Destroyed, this window
  // would hear no "TaskbarCreated" any more and the retries would stop: the
  // program would live on with no way back to it.
  AfxPostAppExit();
  return 0;
}

LRESULT CSystemTray::OnEndSession(WPARAM ending, LPARAM lp) {
  CWnd* target = GetNotifyTarget();
  if (target && target->GetSafeHwnd()) target->SendMessage(WM_ENDSESSION, ending, lp);
  return 0;
}

LRESULT CSystemTray::OnSettingChangeMessage(WPARAM flags, LPARAM section) {
  OnSettingChange(static_cast<UINT>(flags), reinterpret_cast<const char*>(section));
  return 0;
}

void CSystemTray::OnSettingChange(UINT flags, const char*) {
  Default();
  m_state.OnSettingChange(flags);
  ScheduleRetry();
}

void CSystemTray::OnTimer(UINT_PTR timerId) {
  if (timerId == kRetryTimerId) {
    OnRetryTimer();
    return;
  }
  OnAnimationTimer(timerId);
}

void CSystemTray::OnAnimationTimer(UINT_PTR timerId) {
  const double elapsedDays = m_animTimerId != 0 ? LocalNowInDays() - m_animStart : 0.0;
  switch (::OnAnimationTimer(timerId, m_animTimerId, elapsedDays, m_animSeconds)) {
    case AnimationTick::kIgnore:
      return;
    case AnimationTick::kStep:
      ShowNextIcon();
      return;
    case AnimationTick::kEnd:
      EndAnimation();
      return;
  }
}

BOOL CSystemTray::ShowNextIcon() {
  const int next = NextAnimationIndex(m_animIndex, m_animIcons.size());
  if (next < 0) return FALSE;
  m_animIndex = next;
  return ChangeIcon(m_animIcons[static_cast<std::size_t>(next)]);
}

BOOL CSystemTray::EndAnimation() {
  BOOL killed = FALSE;
  if (m_animTimerId != 0) killed = ::KillTimer(m_hWnd, m_animTimerId);
  m_animTimerId = 0;
  if (m_iconBeforeAnim) ChangeIcon(m_iconBeforeAnim);
  m_iconBeforeAnim = nullptr;
  return killed;
}
