#include "app/schedule_messages.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "afx/app.h"
#include "res/resource.h"

namespace {

// Where the profile is: a bare file name in the Windows directory.
std::string ProfilePath() {
  char dir[MAX_PATH] = {};
  const UINT length = ::GetWindowsDirectoryA(dir, MAX_PATH);
  const CWinApp* app = AfxGetApp();
  const std::string name = app ? app->m_profileName : std::string();
  if (length == 0 || length >= MAX_PATH) return name;
  return std::string(dir, length) + "\\" + name;
}

}  // namespace

void ShowScheduleNotSaved(bool timerOn, unsigned long error) {
  const std::string format = AfxLoadString(timerOn ? IDS_SCHEDULE_NOT_SAVED : IDS_SCHEDULE_OFF_NOT_SAVED);
  const std::string path = ProfilePath();
  std::vector<char> text(format.size() + path.size() + 32);
  std::snprintf(text.data(), text.size(), format.c_str(), error, path.c_str());
  AfxMessageBox(text.data(), MB_OK | MB_ICONERROR);
}
