#pragma once
// CWinApp: the one application object. It knows the program's name (the
// executable's base name), holds the main window and keeps the profile, an
// initialisation file named after the executable in the Windows directory.
#include <windows.h>

#include <string>

class CWnd;

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Runs once at start; returning FALSE ends the program without a message loop.
  virtual BOOL InitInstance() { return FALSE; }
  virtual int Run();

  UINT GetProfileIntA(const char* section, const char* entry, int defaultValue);
  BOOL WriteProfileInt(const char* section, const char* entry, int value);

  // Fills in the names from the executable's path; called by WinMain.
  void SetModule(HINSTANCE instance);

  CWnd* m_pMainWnd = nullptr;
  HINSTANCE m_hInstance = nullptr;
  std::string m_appName;      // base name of the executable
  std::string m_profileName;  // "<base name>.INI", a bare name
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetResourceHandle();
const char* AfxGetAppName();

// A message box with the OK button, captioned with the application's name.
int AfxMessageBox(const char* text, UINT type = MB_OK);
int AfxMessageBox(UINT stringId, UINT type = MB_OK);

// Loads a string resource as ANSI text; empty when it does not exist.
std::string AfxLoadString(UINT id);
