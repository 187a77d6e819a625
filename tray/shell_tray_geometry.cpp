#include "tray/shell_tray_geometry.h"

#include <windows.h>
#include <shellapi.h>

static_assert(sizeof(APPBARDATA) == 36, "the 32-bit taskbar query record");

namespace {

Rect FromRECT(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }

// Class names compared are at most 255 characters.
constexpr int kClassNameSize = 256;

BOOL CALLBACK VisitDescendant(HWND child, LPARAM context) {
  const DescendantVisitor& visit = *reinterpret_cast<const DescendantVisitor*>(context);
  char className[kClassNameSize] = {};
  ::GetClassNameA(child, className, kClassNameSize);
  RECT rect = {};
  ::GetWindowRect(child, &rect);
  return visit(className, FromRECT(rect)) ? TRUE : FALSE;
}

}  // namespace

bool ShellTrayGeometry::FindTaskbar(Rect& rect) {
  HWND taskbar = ::FindWindowA(m_taskbarClass, nullptr);
  m_taskbar = taskbar;
  if (!taskbar) return false;
  RECT r = {};
  ::GetWindowRect(taskbar, &r);
  rect = FromRECT(r);
  return true;
}

void ShellTrayGeometry::EnumTaskbarDescendants(const DescendantVisitor& visit) {
  if (!m_taskbar) return;
  ::EnumChildWindows(m_taskbar, &VisitDescendant, reinterpret_cast<LPARAM>(&visit));
}

bool ShellTrayGeometry::QueryTaskbarPosition(std::uint32_t& edge, Rect& rect) {
  APPBARDATA data = {};
  data.cbSize = sizeof data;
  if (!::SHAppBarMessage(ABM_GETTASKBARPOS, &data)) return false;
  edge = data.uEdge;
  rect = FromRECT(data.rc);
  return true;
}

Rect ShellTrayGeometry::WorkArea() {
  RECT r = {};
  if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0)) {
    r = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  }
  return FromRECT(r);
}
