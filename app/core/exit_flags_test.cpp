#include "app/core/exit_flags.h"

#include <gtest/gtest.h>

namespace {

TEST(ExitFlagsFor, EveryActionClassForceAndVersion) {
  struct Case {
    std::uint32_t action;
    std::int32_t force;
    bool nt5;
    std::uint32_t flags;
    std::int32_t forceAfter;
  } const cases[] = {
      {0x10, 1, false, 13, 1}, {0x10, 0, true, 9, 0}, {0x70, 1, false, 13, 1},  // power off wins
      {0x20, 1, true, 4, 1},   {0x20, 1, false, 0, 0}, {0x20, 0, true, 0, 0},   // log off
      {0x60, 1, true, 4, 1},   {0x60, 1, false, 0, 0},                          // 0x20 before 0x40
      {0x40, 1, false, 6, 1},  {0x40, 0, true, 2, 0},  {0x40, -7, false, 6, -7},  // restart
      {0x00, 1, true, 13, 1},  {0xFF8F, 0, false, 9, 0},                        // none: power off
  };
  for (const auto& c : cases) {
    std::int32_t force = c.force;
    EXPECT_EQ(ExitFlagsFor(c.action, force, c.nt5), c.flags)
        << "action 0x" << std::hex << c.action << " force " << c.force << " nt5 " << c.nt5;
    EXPECT_EQ(force, c.forceAfter) << "action 0x" << std::hex << c.action;
  }
}

TEST(IsNt5OrLater, PlatformMajorAndFilledFlag) {
  EXPECT_TRUE(IsNt5OrLater(2, 5, true));
  EXPECT_TRUE(IsNt5OrLater(2, 10, true));
  EXPECT_FALSE(IsNt5OrLater(2, 4, true));
  EXPECT_FALSE(IsNt5OrLater(1, 5, true));  // the older consumer family
  EXPECT_FALSE(IsNt5OrLater(2, 5, false));
}

}  // namespace
