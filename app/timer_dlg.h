#pragma once
// The timer window: the program's main window and the hub of its commands.
#include <optional>

#include "afx/controls.h"
#include "afx/dialog.h"
#include "afx/handles.h"
#include "app/core/schedule.h"
#include "app/core/schedule_tick.h"
#include "banner/animated_picture.h"
#include "banner/com_apartment.h"
#include "tray/system_tray.h"

class CRemotePowerDlg;

// Callback message of the tray icon.
constexpr UINT WM_TRAY_NOTIFY = 0x80F1;
// Posted to itself: a fire found while answering a sent message.
constexpr UINT WM_RUN_COUNTDOWN = WM_APP + 0x40;

class CTimerDlg : public CDialog {
 public:
  explicit CTimerDlg(CWnd* parent = nullptr);
  ~CTimerDlg() override;

  // Runs the countdown for the current action; returns when it has ended.
  void RunCountdown();

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  // What the window need not wait for: the tray icon, the banner, the
  // system menu's about item, COM and the names for screen readers.
  void OnFirstShown() override;
  void OnOK() override;      // the Apply button
  // Hides the window into the tray; while the shell shows no icon, minimises
  // it to the taskbar instead, where it can be found again.
  void OnCancel() override;

  void OnSysCommand(UINT id, LPARAM lp);
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnTimeChanged(NMHDR* hdr, LRESULT* result);
  void OnActionClicked();
  void OnTimer(UINT_PTR id);
  void OnTimerBoxClicked();
  void OnDaySelChange();
  void OnShowTimer();
  void OnAppExit();
  void OnRemotePowerOn();
  void OnBannerClicked();
  void OnHelpCommand();
  LRESULT OnTrayNotify(WPARAM wp, LPARAM lp);
  // The session ends: nothing may count down to a power action any more.
  LRESULT OnEndSession(WPARAM ending, LPARAM lp);
  // The clock or the time zone was changed: the schedule tick counts from
  // the new reading.
  LRESULT OnSystemTimeChange(WPARAM, LPARAM);
  LRESULT OnRunCountdown(WPARAM, LPARAM);
  void OnDestroy();

  DECLARE_MESSAGE_MAP()

 private:
  void ArmTick();
  void DisarmTick();
  void SetPickerTime(const TimeOfDay& time);
  void ShowPicturesForDpi();

  // COM for this thread from the first paint on, for the screen reader's
  // names and the browser a banner click starts; first, so it goes last.
  std::optional<ComApartment> m_com;
  ScheduleSettings m_schedule;
  IconHandle m_smallIcon;  // before m_tray: the tray shows it until its end
  UniqueHandle<HBITMAP, &::DeleteObject> m_sidePicture;  // shown by the side picture's control
  CSystemTray m_tray;
  int m_remoteOpen = 0;
  CRemotePowerDlg* m_pRemoteDlg = nullptr;
  CWnd* m_pCountdown = nullptr;  // while RunCountdown runs
  CAnimatedPicture m_banner;
  CComboBox m_dayList;
  HICON m_hIcon;
  ScheduleTick m_tick;  // remembers the previous reading so a late tick still fires
};
