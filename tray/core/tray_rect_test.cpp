#include "tray/core/tray_rect.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// Lets failures show the four numbers.
void PrintTo(const Rect& r, std::ostream* os) {
  *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

struct Child {
  std::string className;
  Rect rect;
};

// A shell described by tables; remembers what was asked.
class FakeShell : public TrayGeometrySource {
 public:
  bool hasTaskbar = false;
  Rect taskbar;
  std::vector<Child> descendants;  // in enumeration order
  bool appbarAnswers = false;
  std::uint32_t edge = kEdgeBottom;
  Rect appbarRect;
  Rect workArea;

  std::vector<std::string> visited;
  int appbarQueries = 0;
  int workAreaQueries = 0;

  bool FindTaskbar(Rect& rect) override {
    if (hasTaskbar) rect = taskbar;
    return hasTaskbar;
  }
  void EnumTaskbarDescendants(const DescendantVisitor& visit) override {
    for (const Child& c : descendants) {
      visited.push_back(c.className);
      if (!visit(c.className.c_str(), c.rect)) return;
    }
  }
  bool QueryTaskbarPosition(std::uint32_t& e, Rect& rect) override {
    ++appbarQueries;
    if (appbarAnswers) {
      e = edge;
      rect = appbarRect;
    }
    return appbarAnswers;
  }
  Rect WorkArea() override {
    ++workAreaQueries;
    return workArea;
  }
};

FakeShell Taskbar(Rect rect, std::vector<Child> children) {
  FakeShell shell;
  shell.hasTaskbar = true;
  shell.taskbar = rect;
  shell.descendants = std::move(children);
  // Fallbacks that would give something else, to show they stay unused.
  shell.appbarAnswers = true;
  shell.appbarRect = Rect{0, 0, 1, 1};
  shell.workArea = Rect{0, 0, 2, 2};
  return shell;
}


const Rect kBottomBar{0, 738, 1024, 768};
const Rect kNotifyArea{850, 740, 1022, 766};

TEST(TrayRectFromTaskbar, ClockAtRightCutsTheRightEdgeAndStopsTheWalk) {
  FakeShell shell = Taskbar(kBottomBar, {{"Button", {0, 740, 60, 766}},
                                         {"TrayNotifyWnd", kNotifyArea},
                                         {"ToolbarWindow32", {852, 742, 975, 764}},
                                         {"TrayClockWClass", {980, 742, 1020, 764}},
                                         {"TrayNotifyWnd", {1, 2, 3, 4}}});
  EXPECT_EQ(GetTrayWindowRect(shell), (Rect{850, 740, 980, 766}));
  EXPECT_EQ(shell.visited.size(), 4u);  // nothing after the clock
  EXPECT_EQ(shell.appbarQueries, 0);
  EXPECT_EQ(shell.workAreaQueries, 0);
}

TEST(TrayRectFromTaskbar, FivePixelBoundaryDecidesBetweenTopAndRight) {
  // Vertical taskbar at the right; notification area at its foot.
  const Rect area{960, 600, 1024, 768};
  struct Case {
    std::int32_t clockBottom;
    Rect expected;
  } const cases[] = {
      {620, {960, 620, 1024, 768}},  // well above: the top is cut
      {762, {960, 762, 1024, 768}},  // 6 pixels above the bottom: still above
      {763, {960, 600, 970, 768}},   // exactly 5 above: counts as at the right
      {768, {960, 600, 970, 768}},
      {790, {960, 600, 970, 768}},
  };
  for (const Case& c : cases) {
    FakeShell shell = Taskbar({956, 0, 1024, 768}, {{"TrayNotifyWnd", area},
                                                    {"TrayClockWClass", {970, 602, 1022, c.clockBottom}}});
    SCOPED_TRACE(c.clockBottom);
    EXPECT_EQ(GetTrayWindowRect(shell), c.expected);
  }
}

TEST(TrayRectFromTaskbar, EnumerationOrderDecidesWhatTheClockClips) {
  const Rect clock{980, 742, 1020, 764};
  struct Case {
    const char* name;
    std::vector<Child> children;
    Rect expected;
  } const cases[] = {
      {"area then clock", {{"TrayNotifyWnd", kNotifyArea}, {"TrayClockWClass", clock}}, {850, 740, 980, 766}},
      // The clock met first clips the taskbar and ends the walk.
      {"clock then area", {{"TrayClockWClass", clock}, {"TrayNotifyWnd", kNotifyArea}}, {0, 738, 980, 768}},
      {"clock only", {{"TrayClockWClass", clock}}, {0, 738, 980, 768}},
      {"area only", {{"Button", {0, 740, 60, 766}}, {"TrayNotifyWnd", kNotifyArea}}, kNotifyArea},
      {"the later area wins", {{"TrayNotifyWnd", {1, 2, 3, 4}}, {"TrayNotifyWnd", kNotifyArea}}, kNotifyArea},
      {"neither", {{"Button", {0, 740, 60, 766}}, {"ReBarWindow32", {60, 740, 800, 766}}}, kBottomBar},
      {"no descendants", {}, kBottomBar},
      // Class names compare exactly, letter case included.
      {"other spellings", {{"traynotifywnd", kNotifyArea}, {"TrayNotifyWnd ", kNotifyArea},
                           {"TrayClockWClassX", clock}, {"trayclockwclass", clock}}, kBottomBar},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeShell shell = Taskbar(kBottomBar, c.children);
    EXPECT_EQ(GetTrayWindowRect(shell), c.expected);
  }
}

TEST(TrayRectFromAppbar, EachEdge) {
  struct Case {
    std::uint32_t edge;
    Rect taskbar;
    Rect expected;
  } const cases[] = {
      {kEdgeBottom, {0, 738, 1024, 768}, {924, 738, 1008, 768}},
      {kEdgeTop, {0, 0, 1024, 30}, {924, 0, 1008, 30}},
      {kEdgeLeft, {0, 0, 60, 768}, {0, 668, 60, 752}},
      {kEdgeRight, {964, 0, 1024, 768}, {964, 668, 1024, 752}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.edge);
    FakeShell shell;
    shell.appbarAnswers = true;
    shell.edge = c.edge;
    shell.appbarRect = c.taskbar;
    EXPECT_EQ(GetTrayWindowRect(shell), c.expected);
    EXPECT_EQ(shell.workAreaQueries, 0);
  }
}

TEST(TrayRectFromWorkArea, CornerWhenTheShellTellsNothing) {
  for (std::uint32_t badEdge : {4u, 17u, 0xFFFFFFFFu}) {
    FakeShell shell;
    shell.appbarAnswers = true;
    shell.edge = badEdge;
    shell.appbarRect = kBottomBar;
    shell.workArea = Rect{0, 0, 1280, 994};
    EXPECT_EQ(GetTrayWindowRect(shell), (Rect{1130, 964, 1280, 994}));
  }
  FakeShell silent;
  silent.workArea = Rect{0, 0, 1280, 994};
  EXPECT_EQ(GetTrayWindowRect(silent), (Rect{1130, 964, 1280, 994}));
  EXPECT_EQ(silent.appbarQueries, 1);
  // A work area off the primary origin keeps its right and bottom.
  silent.workArea = Rect{-1024, 100, -10, 700};
  EXPECT_EQ(GetTrayWindowRect(silent), (Rect{-160, 670, -10, 700}));
}

TEST(TrayRectLimits, ExtremeRectanglesStayInRange) {
  FakeShell shell;
  shell.appbarAnswers = true;
  shell.edge = kEdgeLeft;
  shell.appbarRect = Rect{INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN};
  EXPECT_EQ(GetTrayWindowRect(shell), (Rect{INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN}));

  Rect area{0, 0, 10, INT32_MIN + 2};
  EXPECT_FALSE(ClipToIconArea("TrayClockWClass", {INT32_MIN, 0, 0, INT32_MIN}, area));
  EXPECT_EQ(area.right, INT32_MIN);
  EXPECT_TRUE(ClipToIconArea(nullptr, {}, area));
}

}  // namespace
