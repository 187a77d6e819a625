#pragma once
// CWinApp: the one application object. It knows the program's name (the
// executable's base name), holds the main window and keeps the profile, an
// initialisation file named after the executable in the Windows directory.
#include <windows.h>

#include <string>

class CWnd;

// The standard Help command; F1 in any window of the class layer sends it.
constexpr UINT AFX_ID_HELP = 57670;
// The standard Exit command, handled by the main window.
constexpr UINT AFX_ID_APP_EXIT = 57665;

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
  // The entry's text without surrounding blanks; `defaultValue` when missing,
  // empty when longer than 62 characters (the profile holds numbers only).
  std::string GetProfileStringA(const char* section, const char* entry, const char* defaultValue);
  BOOL WriteProfileInt(const char* section, const char* entry, int value);

  // Fills in the names from the executable's path; called by WinMain.
  void SetModule(HINSTANCE instance);

  // The application's command table: menu, accelerator and Help commands
  // that no window handled arrive here. Answers whether one was handled.
  virtual BOOL OnCommand(UINT id);
  // The Help command's handler; the library's own shows no help.
  virtual void OnHelp() {}

  // Exit was chosen: from now on nothing may start a power action or other
  // lasting work, and every modal loop is ending.
  void BeginExit() { m_exiting = true; }
  bool IsExiting() const { return m_exiting; }

  CWnd* m_pMainWnd = nullptr;
  HINSTANCE m_hInstance = nullptr;
  std::string m_appName;      // base name of the executable
  std::string m_profileName;  // "<base name>.INI", a bare name

 private:
  CWinApp* m_previous;  // the application object this one stands in for, if any
  bool m_exiting = false;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetResourceHandle();
const char* AfxGetAppName();

// Asks the main window to end the program as its Exit command does. Posted,
// since the request may arrive inside any modal loop; without a main window
// nothing happens.
void AfxPostAppExit();

// A message box with the OK button, captioned with the application's name.
int AfxMessageBox(const char* text, UINT type = MB_OK);
int AfxMessageBox(UINT stringId, UINT type = MB_OK);

// Loads a string resource as ANSI text; empty when it does not exist.
std::string AfxLoadString(UINT id);
