#include "app/core/profile_number.h"

#include <gtest/gtest.h>

namespace {

TEST(ProfileNumber, PlainDecimalsInTheSignedRange) {
  EXPECT_EQ(ParseProfileNumber("0"), 0);
  EXPECT_EQ(ParseProfileNumber("23"), 23);
  EXPECT_EQ(ParseProfileNumber("007"), 7);
  EXPECT_EQ(ParseProfileNumber("-1"), -1);
  EXPECT_EQ(ParseProfileNumber("+59"), 59);
  EXPECT_EQ(ParseProfileNumber("2147483647"), 2147483647);
  EXPECT_EQ(ParseProfileNumber("-2147483648"), -2147483647 - 1);
}

TEST(ProfileNumber, AnythingElseIsNoNumberRatherThanZero) {
  for (const char* text : {"", " ", "-", "+", "abc", "1abc", "12 ", " 12", "1.0", "0x10", "1e3", "--1", "+-1",
                           "2147483648", "-2147483649", "4294967296", "00000000001", "\xEF\xBC\x91"}) {
    EXPECT_FALSE(ParseProfileNumber(text).has_value()) << '"' << text << '"';
  }
  EXPECT_FALSE(ParseProfileNumber(std::string("1\0", 2)).has_value());
}

}  // namespace
