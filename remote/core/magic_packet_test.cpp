#include "remote/core/magic_packet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ParseMacByte, ReadsLikeStrtolBase16) {
  const struct {
    std::string piece;
    int value;
  } cases[] = {
      {"00", 0},   {"aa", 0xAA}, {"AA", 0xAA}, {"fF", 0xFF}, {"7", 7},     {"", 0},        {"0x", 0},
      {"zz", 0},   {"-", 0},     {"-1", -1},   {"-f", -15},  {"+f", 15},   {" 5", 5},      {"\t5", 5},
      {"5-", 5},   {"g1", 0},    {"1g", 1},    {"abc", 0},   {"001", 0},   {"\x80" "1", 0}, {std::string("\0" "5", 2), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseMacByte(c.piece), c.value) << '"' << c.piece << '"';
}

TEST(BuildMagicPacket, SixFFThenTheAddressReadByPositionSixteenTimes) {
  using Address = std::vector<std::uint8_t>;
  const struct {
    std::string mac;
    Address address;
  } cases[] = {
      {"00-11-22-33-44-55", {0x00, 0x11, 0x22, 0x33, 0x44, 0x55}},
      {"aa-bb-cc-dd-ee-ff", {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}},
      {"AA:BB.CCxDD EE/FF", {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}},  // separators are never looked at
      {"", {0, 0, 0, 0, 0, 0}},
      {"0-11-22-33-44-55", {0x00, 0x01, 0x02, 0x03, 0x04, 0x05}},
      {"00-11-2", {0x00, 0x11, 0x02, 0, 0, 0}},
      {"-1-zz-0x- 5-12-34-56", {0xFF, 0x00, 0x00, 0x05, 0x12, 0x34}},
  };
  for (const auto& c : cases) {
    Address expected(6, 0xFF);
    for (int i = 0; i < 16; ++i) expected.insert(expected.end(), c.address.begin(), c.address.end());
    const MagicPacket packet = BuildMagicPacket(c.mac);
    EXPECT_EQ(Address(packet.begin(), packet.end()), expected) << c.mac;
  }
}

}  // namespace
