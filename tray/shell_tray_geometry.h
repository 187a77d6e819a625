#pragma once
// The shell's answers about where the notification area is, for the tray
// rectangle: the taskbar window and its descendants, the taskbar query and
// the work area.
#include <windows.h>

#include "tray/core/tray_geometry.h"

class ShellTrayGeometry : public TrayGeometrySource {
 public:
  // `taskbarClass` names the top-level taskbar window to look for.
  explicit ShellTrayGeometry(const char* taskbarClass = "Shell_TrayWnd") : m_taskbarClass(taskbarClass) {}

  bool FindTaskbar(Rect& rect) override;
  void EnumTaskbarDescendants(const DescendantVisitor& visit) override;
  bool QueryTaskbarPosition(std::uint32_t& edge, Rect& rect) override;
  Rect WorkArea() override;

 private:
  const char* m_taskbarClass;
  HWND m_taskbar = nullptr;  // found by FindTaskbar
};
