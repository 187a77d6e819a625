// The wake port read from the dialog's port text.
#include "remote/wake_port.h"

#include <gtest/gtest.h>

namespace {

TEST(WakePortFromText, ReadsLikeAtolModulo65536) {
  const struct {
    const char* text;
    unsigned short port;
  } cases[] = {
      {"40000", 40000}, {"70000", 4464},   {"65536", 0},     {"abc", 0},    {"", 0},
      {"  12x", 12},    {"+7", 7},         {"-1", 65535},    {"0x10", 0},   {"99999999999", 65535},
      {"-99999999999", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(WakePortFromText(c.text), c.port) << c.text;
}

}  // namespace
