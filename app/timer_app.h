#pragma once
#include "afx/app.h"

// The application: refuses a second copy, then runs the timer window modally
// for the whole life of the program.
class CTimerApp : public CWinApp {
 public:
  BOOL InitInstance() override;
};
