#pragma once
// The program's icon in the notification area: its menu, its default
// double-click command, its return after the shell re-creates the taskbar,
// and its removal at exit. The object is itself a hidden top-level window so
// that it hears the shell's broadcasts.
#include <windows.h>

#include <vector>

#include "afx/wnd.h"
#include "tray/core/tray_icon_state.h"
#include "tray/notify_icon_data.h"

class CMenu;

// Class name of the hidden window. Fixed, so that another program (an
// installer) can find a running copy, even one hidden in the tray, and ask
// it to close with WM_CLOSE.
constexpr char kTrayWindowClass[] = "VaroTimerTray";

class CSystemTray : public CWnd {
 public:
  CSystemTray();
  ~CSystemTray() override;

  // Creates the hidden window and adds the icon, shown. The shell sends the
  // icon's notifications to `parent` when it has a window, else to the hidden
  // window. Answers whether the icon was added. Called once.
  BOOL InitTray(CWnd* parent, UINT callbackMessage, const char* tip, HICON icon, UINT id,
                const char* balloonText, const char* balloonTitle, DWORD balloonIconFlags,
                UINT balloonTimeoutSeconds);
  // InitTray in two steps, for a window that shows before it asks the
  // shell: the hidden window (which another program finds) and the icon's
  // record first, answering whether the tray can be used; the add later.
  BOOL PrepareTray(CWnd* parent, UINT callbackMessage, const char* tip, HICON icon, UINT id,
                   const char* balloonText, const char* balloonTitle, DWORD balloonIconFlags,
                   UINT balloonTimeoutSeconds);
  BOOL AddPreparedIcon();
  // Removes the icon (also one that a timed-out add may have put up) and
  // stops every later re-add.
  BOOL DeleteTrayIcon();
  // Whether the shell shows the icon now: until it does, the main window
  // must stay reachable some other way.
  BOOL IsIconShown() const { return m_state.trayUsable() && !m_state.iconHidden(); }
  // Shows another image in place of the icon; a later re-add shows it too.
  BOOL ChangeIcon(HICON icon);

  // A right button up shows the tray menu, a left double click posts its
  // default command; answers 0 for another icon or without a main window.
  virtual LRESULT OnIconNotify(WPARAM id, LPARAM mouseMessage);
  // Hook between marking the default item and showing the menu.
  virtual void PrepareTrayMenu(CMenu* submenu);
  // The window that receives the menu's commands: the main window.
  CWnd* GetNotifyTarget() const;

  // "TaskbarCreated", registered during static initialisation.
  static const UINT s_taskbarCreatedMsg;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wp, LPARAM lp) override;

  // One notify-icon call with the record; the shell's answer. An add is not
  // made, and answers FALSE, while the taskbar does not answer at once.
  virtual BOOL CallShell(DWORD message);

  LRESULT OnTaskbarRecreated(WPARAM, LPARAM);
  // A close request ends the program as Exit does; the window itself stays.
  LRESULT OnCloseRequest(WPARAM, LPARAM);
  // Passes the session's end on to the main window, which may be hidden in
  // the tray: no top-level window there, it hears no broadcast.
  LRESULT OnEndSession(WPARAM ending, LPARAM lp);
  // Keeps trying to add an icon the shell has not taken, on a timer whose
  // period grows after the first minute.
  void ScheduleRetry();
  void OnRetryTimer();
  void OnSettingChange(UINT flags, const char* section);
  void OnAnimationTimer(UINT_PTR timerId);
  BOOL ShowNextIcon();
  BOOL EndAnimation();

  NotifyIconData488 m_iconData = {};
  TrayIconState m_state;  // usable, hidden, deleted, pending, and the add's flags
  BOOL m_balloonCapable = FALSE;
  std::vector<HICON> m_animIcons;
  UINT_PTR m_animTimerId = 0;
  int m_animIndex = 0;
  double m_animStart = 0.0;  // local date-time, days since 30 December 1899
  UINT m_animSeconds = 0;    // 0: until ended
  HICON m_iconBeforeAnim = nullptr;
  DWORD m_retriesBegan = 0;  // GetTickCount when the tries began
  UINT m_retryPeriodMs = 0;  // 0: no retry timer
  UINT m_defaultItem = 0;
  BOOL m_defaultByPosition = TRUE;

  DECLARE_MESSAGE_MAP()

 private:
  // Message-table adapters to the handlers above.
  void OnTimer(UINT_PTR timerId);
  LRESULT OnSettingChangeMessage(WPARAM flags, LPARAM section);
  // The default command: the popup's item at m_defaultItem, or the item itself.
  bool LookUpDefaultCommand(UINT& command) const;
};
