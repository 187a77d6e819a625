#pragma once
#include <cstdint>
#include <functional>

// Screen rectangle in pixels.
struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

inline bool operator==(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const Rect& a, const Rect& b) { return !(a == b); }

// Taskbar edges as the shell's taskbar query reports them.
enum TaskbarEdge : std::uint32_t {
  kEdgeLeft = 0,
  kEdgeTop = 1,
  kEdgeRight = 2,
  kEdgeBottom = 3,
};

// Called for each descendant of the taskbar with its class name and screen
// rectangle; answers whether to go on.
using DescendantVisitor = std::function<bool(const char* className, const Rect& rect)>;

// What the tray rectangle needs to know about the shell. The Windows side
// answers from FindWindowA, EnumChildWindows, SHAppBarMessage and
// SystemParametersInfoA; tests answer from tables.
class TrayGeometrySource {
 public:
  virtual ~TrayGeometrySource() = default;

  // The top-level taskbar window ("Shell_TrayWnd"): false when there is none,
  // otherwise its screen rectangle in `rect`.
  virtual bool FindTaskbar(Rect& rect) = 0;

  // Visits every descendant of the taskbar found by FindTaskbar, each parent
  // before its own children, until `visit` answers false. Class names are at
  // most 255 characters.
  virtual void EnumTaskbarDescendants(const DescendantVisitor& visit) = 0;

  // The shell's taskbar query (ABM_GETTASKBARPOS): false when it fails,
  // otherwise the edge the taskbar sits on and its rectangle.
  virtual bool QueryTaskbarPosition(std::uint32_t& edge, Rect& rect) = 0;

  // The work area of the primary screen (SPI_GETWORKAREA). Should that query
  // fail, the whole primary screen.
  virtual Rect WorkArea() = 0;
};
