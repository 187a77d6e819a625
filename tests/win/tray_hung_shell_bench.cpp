// Figures: how long one icon add keeps the user-interface thread while the
// taskbar hangs. A window of the taskbar's class is made on a thread that
// then stops answering for a few seconds, as a hung shell does; the icon's
// add goes through the tray object as the program's retries do. The schedule
// tick runs on the same thread and catches up only 5 seconds.
//   scripts/wine-sandbox.sh -- wine build/win32/tests/win/tray_hung_shell_bench.exe [HANG_MS]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "afx/wndcreate.h"
#include "tray/system_tray.h"
#include "tray/tray_test_windows.h"

namespace {

class BenchTray : public CSystemTray {
 public:
  using CSystemTray::CallShell;
  using CSystemTray::m_iconData;
};

}  // namespace

int main(int argc, char** argv) {
  const DWORD hangMs = argc > 1 ? static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10)) : 8000;
  CWnd owner;
  AfxCreateWindowEx(owner, 0, AfxRegisterWndClass(0), "bench", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
  BenchTray tray;
  tray.m_iconData.cbSize = sizeof tray.m_iconData;
  tray.m_iconData.hWnd = owner.m_hWnd;
  tray.m_iconData.uID = 130;
  tray.m_iconData.uFlags = NIF_TIP;

  HungTaskbar taskbar(hangMs);
  const auto began = std::chrono::steady_clock::now();
  const BOOL added = tray.CallShell(NIM_ADD);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  const int recordsSeen = HungTaskbar::RecordsSeen();
  taskbar.Release();
  std::printf("icon add with the taskbar hung for %.1f s: answered %s after %.3f s (the add reached the taskbar: %s)\n",
              hangMs / 1000.0, added ? "TRUE" : "FALSE", seconds, recordsSeen > 0 ? "yes" : "no");
  AfxDestroyWindow(owner);
  return 0;
}
