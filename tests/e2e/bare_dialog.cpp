// The yardstick for the program's start: a dialog with nothing in it that
// loads the system libraries named on its command line (the program's own
// imports) and shows itself. Started by "driver launch-time" beside the
// program, it tells how much of a start is Wine's and the libraries' and how
// much is the program's own.
#include <windows.h>

#include <cstring>
#include <string>

namespace {

INT_PTR CALLBACK BareDialogProc(HWND dialog, UINT message, WPARAM wp, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wp) == IDCANCEL || LOWORD(wp) == IDOK)) {
    EndDialog(dialog, 0);
    return TRUE;
  }
  return FALSE;
}

// An in-memory template: a visible, captioned dialog without controls.
struct BareTemplate {
  DLGTEMPLATE head;
  WORD menu, windowClass;
  wchar_t title[5];
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  std::string names = commandLine;
  for (char* name = std::strtok(&names[0], " "); name != nullptr; name = std::strtok(nullptr, " ")) {
    LoadLibraryA(name);  // kept for the process's life, as imports are
  }
  BareTemplate bare = {};
  bare.head.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_CENTER | DS_MODALFRAME;
  bare.head.cx = 300;
  bare.head.cy = 200;
  std::memcpy(bare.title, L"bare", sizeof(L"bare"));
  return static_cast<int>(DialogBoxIndirectParamW(instance, &bare.head, nullptr, BareDialogProc, 0));
}
