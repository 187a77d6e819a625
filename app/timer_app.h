#pragma once
#include <windows.h>

#include "afx/app.h"

// Whether the single-instance mutex's creation, answering `error`, found
// another copy: one that exists, or one whose mutex a copy running as
// administrator made and a normal start may not open.
bool AnotherCopyHoldsTheMutex(DWORD error);

// The application: refuses a second copy, then runs the timer window modally
// for the whole life of the program.
class CTimerApp : public CWinApp {
 public:
  BOOL InitInstance() override;
  // The Help command (F1 and command 57670): the help file, as the tray
  // menu's help item opens it.
  void OnHelp() override;

 protected:
  // Seams for the test programs: the mutex's creation (answers the error it
  // left, 0 on a plain success) and the timer window's whole run.
  virtual DWORD CreateInstanceMutex();
  virtual void RunTimerWindow();
};
