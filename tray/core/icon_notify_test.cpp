#include "tray/core/icon_notify.h"

#include <gtest/gtest.h>

namespace {

TEST(IconNotify, SortsByIdTargetAndMouseMessage) {
  struct Case {
    std::uintptr_t id, mouse;
    bool hasTarget;
    IconNotifyAction expected;
  } const cases[] = {
      {130, 0x205, true, IconNotifyAction::kShowMenu},
      {130, 0x203, true, IconNotifyAction::kRunDefault},
      {130, 0x10203, true, IconNotifyAction::kRunDefault},  // high bits do not count
      {130, 0x202, true, IconNotifyAction::kNothing},       // left single click
      {130, 0x200, true, IconNotifyAction::kNothing},       // mouse move
      {130, 0x206, true, IconNotifyAction::kNothing},       // right double click
      {131, 0x205, true, IconNotifyAction::kNotOurs},
      {130, 0x205, false, IconNotifyAction::kNotOurs},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifyIconNotify(c.id, c.mouse, 130, c.hasTarget), c.expected)
        << c.id << " 0x" << std::hex << c.mouse << " " << c.hasTarget;
  }
}

}  // namespace
