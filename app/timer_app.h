#pragma once
#include "afx/app.h"

// The application: refuses a second copy, then runs the timer window modally
// for the whole life of the program.
class CTimerApp : public CWinApp {
 public:
  BOOL InitInstance() override;
  // The Help command (F1 and command 57670): the help file, as the tray
  // menu's help item opens it.
  void OnHelp() override;
};
