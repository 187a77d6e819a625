#include "app/core/exit_flags.h"

#include <gtest/gtest.h>

namespace {

struct ExitCase {
  std::uint32_t action;
  std::int32_t force;
  bool nt5;
  std::uint32_t flags;
  std::int32_t forceAfter;
};

TEST(ExitFlagsFor, EveryActionClassForceAndVersion) {
  const ExitCase cases[] = {
      // Power off, and anything with 0x10 set, whatever else is set.
      {0x10, 1, true, 13, 1},
      {0x10, 1, false, 13, 1},
      {0x10, 0, true, 9, 0},
      {0x70, 1, false, 13, 1},
      // Log off: forced only on NT 5 and later.
      {0x20, 1, true, 4, 1},
      {0x20, 1, false, 0, 0},
      {0x20, 0, true, 0, 0},
      {0x20, 0, false, 0, 0},
      {0x60, 1, true, 4, 1},  // 0x20 is tested before 0x40
      {0x60, 1, false, 0, 0},
      // Restart keeps the force flag on old systems too.
      {0x40, 1, true, 6, 1},
      {0x40, 1, false, 6, 1},
      {0x40, 0, false, 2, 0},
      // None of the three bits: carried out as power off.
      {0x00, 1, true, 13, 1},
      {0x00, 1, false, 13, 1},
      {0xFF00, 0, false, 9, 0},
      {0x8F, 1, false, 13, 1},
  };
  for (const ExitCase& c : cases) {
    std::int32_t force = c.force;
    EXPECT_EQ(ExitFlagsFor(c.action, force, c.nt5), c.flags)
        << "action 0x" << std::hex << c.action << " force " << c.force << " nt5 " << c.nt5;
    EXPECT_EQ(force, c.forceAfter) << "action 0x" << std::hex << c.action;
  }
}

TEST(ExitFlagsFor, AnyNonzeroForceCountsAsSet) {
  std::int32_t force = -7;
  EXPECT_EQ(ExitFlagsFor(0x40, force, false), 6u);
  EXPECT_EQ(force, -7);
}

TEST(IsNt5OrLater, PlatformMajorAndFilledFlag) {
  struct Case {
    std::uint32_t platform, major;
    bool filled, expected;
  } const cases[] = {
      {2, 5, true, true},   {2, 6, true, true},    {2, 10, true, true},
      {2, 4, true, false},  {1, 5, true, false},   {1, 4, true, false},
      {0, 5, true, false},  {3, 10, true, false},  {2, 5, false, false},
      {0, 0, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsNt5OrLater(c.platform, c.major, c.filled), c.expected)
        << c.platform << "/" << c.major << "/" << c.filled;
  }
}

}  // namespace
