#include "app/timer_dlg.h"

#include <iterator>
#include <optional>

#include "afx/app.h"
#include "afx/ddx.h"
#include "app/about_dlg.h"
#include "app/accessible_name.h"
#include "app/app_profile.h"
#include "app/clock.h"
#include "app/countdown_dlg.h"
#include "app/dpi_pictures.h"
#include "app/help_launcher.h"
#include "app/power_action.h"
#include "app/schedule_messages.h"
#include "app/shared_fire.h"
#include "app/core/exit_flags.h"
#include "banner/banner_background.h"
#include "banner/banner_fetch.h"
#include "remote/remote_power_dlg.h"
#include "res/resource.h"
#include "tray/minimize_to_tray.h"

static_assert(ID_APP_EXIT == AFX_ID_APP_EXIT, "the tray menu's Exit is the class layer's Exit command");

namespace {
const char kBannerFileName[] = "sorel-ads.gif";
constexpr UINT kTickPeriodMs = 1000;

// The side picture as drawn for 96, 144 and 192 DPI; 100 x 200 pixels at 96.
const BitmapForDpi kSidePictures[] = {
    {IDB_SIDEPICTURE, 96}, {IDB_SIDEPICTURE_144, 144}, {IDB_SIDEPICTURE_192, 192}};
constexpr int kSidePictureWidth = 100;
constexpr int kSidePictureHeight = 200;
}  // namespace

BEGIN_MESSAGE_MAP(CTimerDlg, CDialog)
  ON_WM_SYSCOMMAND()
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_NOTIFY(DTN_DATETIMECHANGE, IDC_TIMEPICKER, OnTimeChanged)
  ON_BN_CLICKED(IDC_POWEROFF, OnActionClicked)
  ON_BN_CLICKED(IDC_LOGOFF, OnActionClicked)
  ON_BN_CLICKED(IDC_RESTART, OnActionClicked)
  ON_WM_TIMER()
  ON_BN_CLICKED(IDC_TIMERON, OnTimerBoxClicked)
  ON_CBN_SELCHANGE(IDC_DAYLIST, OnDaySelChange)
  ON_COMMAND(ID_TRAY_SHOWTIMER, OnShowTimer)
  ON_COMMAND(ID_APP_EXIT, OnAppExit)
  ON_COMMAND(ID_TRAY_REMOTE, OnRemotePowerOn)
  ON_COMMAND(IDC_BANNER, OnBannerClicked)
  ON_COMMAND(ID_TRAY_HELP, OnHelpCommand)
  ON_MESSAGE(WM_TRAY_NOTIFY, OnTrayNotify)
  ON_MESSAGE(WM_ENDSESSION, OnEndSession)
  ON_MESSAGE(WM_TIMECHANGE, OnSystemTimeChange)
  ON_MESSAGE(WM_RUN_COUNTDOWN, OnRunCountdown)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CTimerDlg::CTimerDlg(CWnd* parent)
    : CDialog(IDD_TIMER, parent), m_smallIcon(LoadSmallIcon(AfxGetResourceHandle(), IDR_MAINFRAME)) {
  m_hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

CTimerDlg::~CTimerDlg() = default;

void CTimerDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_BANNER, m_banner);
  DDX_Control(dx, IDC_DAYLIST, m_dayList);
}

BOOL CTimerDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  HICON smallIcon = m_smallIcon ? m_smallIcon.get() : m_hIcon;
  SetIcon(m_hIcon, TRUE);
  SetIcon(smallIcon, FALSE);
  ShowPicturesForDpi();

  AppProfile profile(AfxGetApp());
  m_schedule = LoadSchedule(profile);

  // 24-hour with seconds whatever the user's time format: a format without
  // seconds would store the ones the picker happened to be filled with.
  ::SendMessageA(GetDlgItem(IDC_TIMEPICKER), DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>("HH:mm:ss"));

  for (UINT id = IDS_EVERYDAY; id < IDS_EVERYDAY + 8; ++id) m_dayList.AddString(AfxLoadString(id).c_str());
  m_dayList.SetCurSel(m_schedule.day);  // outside 0..7 leaves no selection

  if (m_schedule.enabled) {
    CheckDlgButton(IDC_TIMERON, BST_CHECKED);
    if (m_schedule.timeOfDay.IsValid()) SetPickerTime(m_schedule.timeOfDay);
    ArmTick();
  } else {
    const ClockReading now = ReadLocalClock();
    m_schedule.timeOfDay = MakeTimeOfDay(now.hour, now.minute, now.second);
    SetPickerTime(m_schedule.timeOfDay);
    ::EnableWindow(GetDlgItem(IDC_TIMEPICKER), FALSE);
    CheckDlgButton(IDC_TIMERON, BST_UNCHECKED);
    m_dayList.EnableWindow(FALSE);
  }
  CheckRadioButton(IDC_POWEROFF, IDC_RESTART, ShownAction(m_schedule.action));
  ::EnableWindow(GetDlgItem(IDOK), FALSE);

  // With the window, another program (an installer) finds this copy by its
  // tray window; the shell is asked for the icon once the window shows.
  m_tray.PrepareTray(this, WM_TRAY_NOTIFY, AfxLoadString(IDS_TRAYTIP).c_str(), smallIcon, IDR_TRAYMENU,
                     nullptr, nullptr, 0, 10);
  return TRUE;
}

void CTimerDlg::OnFirstShown() {
  // An exit chosen before the window was first painted starts nothing.
  if (const CWinApp* app = AfxGetApp(); app != nullptr && app->IsExiting()) return;
  m_tray.AddPreparedIcon();
  // The window never waits for the banner: it comes when it is ready. It
  // plays only in a window that shows: one closed into the tray meanwhile
  // starts it when it is shown again.
  ShowBannerInBackground(m_banner, kBannerFileName);
  if (IsWindowVisible()) m_banner.Start();
  // The system menu opens only on a window that shows.
  if (HMENU sysMenu = GetSystemMenu(FALSE)) {
    const std::string about = AfxLoadString(IDS_ABOUTBOX);
    if (!about.empty()) {
      ::AppendMenuA(sysMenu, MF_SEPARATOR, 0, nullptr);
      ::AppendMenuA(sysMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
    }
  }
  m_com.emplace();
  // Loads the accessibility library: not before the window shows. The
  // first focus is on a button, which needs no name of ours.
  SetAccessibleName(GetDlgItem(IDC_TIMEPICKER), IDS_NAME_TIMEPICKER);
  SetAccessibleName(m_dayList.m_hWnd, IDS_NAME_DAYLIST);
}

void CTimerDlg::ShowPicturesForDpi() {
  // The template's pictures keep their 96-DPI size while the dialog grows
  // with its font: each is loaded again to grow as much as the dialog did.
  const int dpi = DialogDpiOf(m_hWnd);
  m_banner.SetDisplayDpi(dpi);
  // At 96 DPI the template's pictures are the ones drawn for it.
  if (dpi == 96) return;
  *m_sidePicture.receive() = LoadBitmapForDpi(AfxGetResourceHandle(), kSidePictures, std::size(kSidePictures),
                                              kSidePictureWidth, kSidePictureHeight, dpi);
  ShowBitmap(m_hWnd, IDC_SIDEPICTURE, m_sidePicture.get());
  // The countdown shows the same icons.
  ShowLargeIcon(m_hWnd, IDC_POWEROFF_ICON, IDI_POWEROFF, dpi);
  ShowLargeIcon(m_hWnd, IDC_LOGOFF_ICON, IDI_LOGOFF, dpi);
  ShowLargeIcon(m_hWnd, IDC_RESTART_ICON, IDI_RESTART, dpi);
}

void CTimerDlg::SetPickerTime(const TimeOfDay& time) {
  SYSTEMTIME st;
  ::GetLocalTime(&st);  // the picker shows the time only; its date is dropped
  st.wHour = static_cast<WORD>(time.hour);
  st.wMinute = static_cast<WORD>(time.minute);
  st.wSecond = static_cast<WORD>(time.second);
  st.wMilliseconds = 0;
  ::SendMessageA(GetDlgItem(IDC_TIMEPICKER), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

void CTimerDlg::ArmTick() {
  SetTimer(IDT_SCHEDULE, kTickPeriodMs);
  m_tick.Arm(ReadLocalClock(), ::GetTickCount());
}

void CTimerDlg::DisarmTick() {
  KillTimer(IDT_SCHEDULE);
  m_tick.Disarm();
}

void CTimerDlg::OnOK() {
  ApplyInput input;
  input.timerBoxChecked = IsDlgButtonChecked(IDC_TIMERON) == BST_CHECKED;
  input.logOffChecked = IsDlgButtonChecked(IDC_LOGOFF) == BST_CHECKED;
  input.powerOffChecked = IsDlgButtonChecked(IDC_POWEROFF) == BST_CHECKED;
  input.restartChecked = IsDlgButtonChecked(IDC_RESTART) == BST_CHECKED;
  SYSTEMTIME picked = {};
  ::SendMessageA(GetDlgItem(IDC_TIMEPICKER), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&picked));
  input.hour = picked.wHour;
  input.minute = picked.wMinute;
  input.second = picked.wSecond;
  input.daySelection = m_dayList.GetCurSel();

  AppProfile profile(AfxGetApp());
  const ApplyOutcome outcome = ApplySchedule(m_schedule, input, profile);
  if (outcome.arm) {
    ArmTick();
  } else {
    DisarmTick();
  }
  if (outcome.saved) {
    ::EnableWindow(GetDlgItem(IDOK), FALSE);
  } else {
    // Apply stays enabled and the window keeps the user's choice: a retry is one click.
    ShowScheduleNotSaved(input.timerBoxChecked, profile.LastError());
  }
}

void CTimerDlg::OnCancel() {
  // A close that comes before the first paint finds the icon added too.
  EnsureFirstShown();
  if (!m_tray.IsIconShown()) {
    ShowWindow(SW_MINIMIZE);
    return;
  }
  m_banner.Stop();
  MinimizeToTray(this, FALSE);
}

void CTimerDlg::OnSysCommand(UINT id, LPARAM lp) {
  if ((id & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg about;
    about.DoModal();
  } else {
    CWnd::OnSysCommand(id, lp);
  }
}

void CTimerDlg::OnPaint() {
  if (!IsIconic()) {
    CWnd::OnPaint();
    return;
  }
  CPaintDC dc(this);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC));
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(dc.m_hDC, x, y, m_hIcon);
}

HCURSOR CTimerDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CTimerDlg::OnTimeChanged(NMHDR*, LRESULT* result) {
  ::EnableWindow(GetDlgItem(IDOK), TRUE);
  *result = 0;
}

void CTimerDlg::OnActionClicked() {
  if (IsDlgButtonChecked(IDC_TIMERON) == BST_CHECKED) ::EnableWindow(GetDlgItem(IDOK), TRUE);
}

void CTimerDlg::OnTimer(UINT_PTR id) {
  if (id == IDT_SCHEDULE && m_tick.OnTick(m_schedule, ReadLocalClock(), ::GetTickCount())) {
    KillTimer(IDT_SCHEDULE);
    RunCountdown();
  }
  CWnd::OnTimer(id);
}

void CTimerDlg::OnDestroy() {
  ClearAccessibleName(GetDlgItem(IDC_TIMEPICKER));
  ClearAccessibleName(m_dayList.m_hWnd);
  CWnd::OnDestroy();
}

LRESULT CTimerDlg::OnSystemTimeChange(WPARAM, LPARAM) {
  if (m_tick.OnClockChanged(m_schedule, ReadLocalClock(), ::GetTickCount())) {
    KillTimer(IDT_SCHEDULE);
    // Not inside this message: it is sent, and the program that set the
    // clock would wait the whole count for its answer.
    PostMessage(WM_RUN_COUNTDOWN);
  }
  return 0;
}

LRESULT CTimerDlg::OnRunCountdown(WPARAM, LPARAM) {
  RunCountdown();
  return 0;
}

void CTimerDlg::RunCountdown() {
  CCountdownDlg countdown(this);
  countdown.m_action = m_schedule.action;
  // Copies in other sessions fire for the same second: power off and restart
  // are decided once for all of them.
  std::int32_t force = 1;
  std::optional<SharedFire> shared;
  if (SharesFire(ExitFlagsFor(m_schedule.action, force, true))) {
    shared.emplace(SharedFireKey(m_tick.FiredSecond()));
    countdown.m_shared = &*shared;
  }
  m_pCountdown = &countdown;
  countdown.DoModal();
  m_pCountdown = nullptr;
  // Cancelled here by the user, or ended by sleep: the other copies stop too.
  // Exit and the session's end only end this copy's count.
  const CWinApp* app = AfxGetApp();
  const bool exiting = app != nullptr && app->IsExiting();
  if (shared && !countdown.m_powerStepRan && !countdown.m_endedElsewhere && !exiting) shared->Cancel();
  if (countdown.m_powerError != 0) {
    // Its owner may be hidden in the tray and the program in the background:
    // in front of everything, or it would wait unseen with the window disabled.
    AfxMessageBox(RefusedPowerActionText(countdown.m_powerError).c_str(),
                  MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
  }
}

void CTimerDlg::OnTimerBoxClicked() {
  const BOOL on = IsDlgButtonChecked(IDC_TIMERON) == BST_CHECKED;
  ::EnableWindow(GetDlgItem(IDC_TIMEPICKER), on);
  m_dayList.EnableWindow(on);
  ::EnableWindow(GetDlgItem(IDOK), TRUE);
}

void CTimerDlg::OnDaySelChange() { ::EnableWindow(GetDlgItem(IDOK), TRUE); }

void CTimerDlg::OnShowTimer() {
  RestoreFromTray(this, FALSE);
  if (IsIconic()) ShowWindow(SW_RESTORE);  // minimised while the shell had no icon
  m_banner.Start();
}

void CTimerDlg::OnAppExit() {
  // Chosen perhaps inside the countdown's, the remote power-on dialog's or a
  // message box's modal loop: every one of them ends, and nothing started
  // from them may run afterwards.
  if (CWinApp* app = AfxGetApp()) app->BeginExit();
  DisarmTick();
  m_banner.Stop();
  m_tray.DeleteTrayIcon();
  ReleaseTrayOwner();
  AfxEndThreadDialogs(IDOK, m_hWnd);
}

void CTimerDlg::OnRemotePowerOn() {
  if (m_remoteOpen) {
    RestoreFromTray(m_pRemoteDlg, FALSE);
    return;
  }
  CRemotePowerDlg remote;
  m_pRemoteDlg = &remote;
  m_remoteOpen = 1;
  remote.DoModal();
  m_remoteOpen = 0;
}

void CTimerDlg::OnBannerClicked() { OpenMakerSite(); }

void CTimerDlg::OnHelpCommand() { ShowHelp(); }

LRESULT CTimerDlg::OnTrayNotify(WPARAM wp, LPARAM lp) { return m_tray.OnIconNotify(wp, lp); }

LRESULT CTimerDlg::OnEndSession(WPARAM ending, LPARAM lp) {
  if (!ending) return 0;  // the session goes on: so does the schedule
  DisarmTick();
  // The countdown hears the broadcast itself; told again, in case it came
  // only through the tray's window.
  if (m_pCountdown && m_pCountdown->m_hWnd) m_pCountdown->SendMessage(WM_ENDSESSION, ending, lp);
  return 0;
}
