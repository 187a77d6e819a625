#pragma once
// The cancellable countdown before the power action: a topmost window that
// counts 30 seconds down, then carries the action out. However it ends
// (Cancel, Esc, Enter, a close request, EndDialog from elsewhere, exit), it
// counts no more from that moment: its modal loop may return much later,
// when an inner one (a message box, the remote power-on window) ends.
#include <cstdint>
#include <optional>

#include "afx/controls.h"
#include "afx/dialog.h"
#include "app/core/countdown_clock.h"

class SharedFire;

class CCountdownDlg : public CDialog {
 public:
  // `parent` is the timer window; it is told to close when the action runs.
  explicit CCountdownDlg(CWnd* parent);

  std::int32_t m_remaining = 30;  // seconds left
  std::uint32_t m_action = 0;     // PowerAction bits; set before DoModal
  std::int32_t m_force = 1;       // add the force flag to the exit call
  std::uint32_t m_powerError = 0;  // after DoModal: the error of a refused exit call
  SharedFire* m_shared = nullptr;  // the decision shared with other sessions, if any; set before DoModal
  bool m_powerStepRan = false;     // after DoModal: this copy asked the system for the action
  bool m_endedElsewhere = false;   // after DoModal: another copy cancelled or acts, the session ended,
                                   // or another program asked it to close

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

  void OnTimer(UINT_PTR id);
  void OnCancelButton();
  LRESULT OnBringToFront(WPARAM, LPARAM);
  LRESULT OnSysCommand(WPARAM command, LPARAM);
  LRESULT OnCloseRequest(WPARAM, LPARAM);
  LRESULT OnEndSession(WPARAM ending, LPARAM);
  LRESULT OnShowWindow(WPARAM show, LPARAM status);
  LRESULT OnWindowPosChanged(WPARAM, LPARAM pos);
  // Sleep ends the countdown: see OnPowerBroadcast in the source.
  LRESULT OnPowerBroadcast(WPARAM event, LPARAM);

  // Seams for the test programs: the first number shown, and the system's
  // power step (answers 0 or the error of the refusal).
  virtual std::int32_t StartCount() const;
  virtual std::uint32_t CallPowerAction();
  // The system's millisecond tick count, which the count is measured in.
  virtual std::uint32_t NowMs() const;

  DECLARE_MESSAGE_MAP()

 private:
  // The power step: the exit call, then the timer window closes and so does
  // the countdown. A refused call leaves the timer window as it is and says
  // why instead.
  void DoPowerAction();
  // Ends the countdown with `result`, its timer first.
  void Stop(int result);
  // Its timer is gone and no tick may count any more.
  void MarkEnded();

  bool m_ended = false;
  bool m_userClosing = false;  // a close from the close box or Alt+F4 is on its way
  std::optional<std::uint32_t> m_claimWaitBegan;  // at 0, waiting for a copy that holds the claim
  CWnd* m_pParent;
  CStatic m_icon;   // the action's icon
  CStatic m_count;  // seconds left
  std::optional<CountdownClock> m_clock;  // from the moment the window shows
};
