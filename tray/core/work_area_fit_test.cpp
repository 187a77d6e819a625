#include "tray/core/work_area_fit.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>

namespace {

Rect R(int l, int t, int r, int b) {
  Rect rect;
  rect.left = l;
  rect.top = t;
  rect.right = r;
  rect.bottom = b;
  return rect;
}

const Rect kWork = R(0, 0, 1280, 994);  // 1280 x 1024 with a taskbar of 30 at the bottom

TEST(FitIntoWorkArea, APlaceThatFitsStaysWhereItIs) {
  EXPECT_EQ(FitIntoWorkArea(R(100, 100, 420, 340), kWork), R(100, 100, 420, 340));
  EXPECT_EQ(FitIntoWorkArea(R(0, 0, 1280, 994), kWork), R(0, 0, 1280, 994));
}

// The monitor it stood on is gone (an undocked laptop): the nearest one's
// work area takes it, moved in as little as needed, at its own size.
TEST(FitIntoWorkArea, APlaceOffTheMonitorIsMovedInAtItsSize) {
  EXPECT_EQ(FitIntoWorkArea(R(1500, 200, 1820, 440), kWork), R(960, 200, 1280, 440));   // right of it
  EXPECT_EQ(FitIntoWorkArea(R(-900, -300, -580, -60), kWork), R(0, 0, 320, 240));       // above and left
  EXPECT_EQ(FitIntoWorkArea(R(300, 980, 620, 1220), kWork), R(300, 754, 620, 994));     // under the taskbar
  EXPECT_EQ(FitIntoWorkArea(R(1200, 900, 1520, 1140), kWork), R(960, 754, 1280, 994));  // half off a corner
}

// Work areas need not start at 0: a monitor left of the primary one.
TEST(FitIntoWorkArea, WorksOnAMonitorWithNegativeCoordinates) {
  const Rect left = R(-1024, 0, 0, 738);
  EXPECT_EQ(FitIntoWorkArea(R(-100, 700, 220, 940), left), R(-320, 498, 0, 738));
}

// Too big to fit: the caption and the top-left corner stay reachable.
TEST(FitIntoWorkArea, AWindowLargerThanTheWorkAreaKeepsItsTopLeftInside) {
  EXPECT_EQ(FitIntoWorkArea(R(500, 500, 2500, 1700), kWork), R(0, 0, 2000, 1200));
}

// A place read from a damaged window state: no overflow, a defined answer.
TEST(FitIntoWorkArea, ExtremePlacesGiveADefinedAnswer) {
  constexpr int kMax = std::numeric_limits<int>::max();
  constexpr int kMin = std::numeric_limits<int>::min();
  EXPECT_EQ(FitIntoWorkArea(R(kMax - 100, kMax - 100, kMax, kMax), kWork), R(1180, 894, 1280, 994));
  EXPECT_EQ(FitIntoWorkArea(R(kMin, kMin, kMin + 100, kMin + 100), kWork), R(0, 0, 100, 100));
}

}  // namespace
