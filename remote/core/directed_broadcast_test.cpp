#include "remote/core/directed_broadcast.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t Ip(unsigned a, unsigned b, unsigned c, unsigned d) { return (a << 24) | (b << 16) | (c << 8) | d; }

TEST(DirectedBroadcastAddresses, OneForEachNetworkThatIsUp) {
  const std::vector<Ipv4Interface> interfaces = {
      {Ip(127, 0, 0, 1), Ip(255, 0, 0, 0), true},           // loopback
      {Ip(192, 168, 1, 20), Ip(255, 255, 255, 0), true},    // Ethernet
      {Ip(10, 8, 0, 6), Ip(255, 255, 255, 255), true},      // a tunnel's single host
      {Ip(172, 20, 64, 1), Ip(255, 255, 240, 0), true},     // a virtual machine host adapter
      {Ip(192, 168, 1, 21), Ip(255, 255, 255, 0), true},    // a second address on the same network
      {Ip(10, 0, 0, 5), Ip(255, 0, 0, 0), false},           // Wi-Fi, disconnected
      {0, 0, true},                                          // no address yet
      {Ip(169, 254, 3, 4), Ip(255, 255, 0, 0), true},       // self-assigned
      {Ip(1, 2, 3, 4), 0, true},                             // a mask of nothing: the limited broadcast
  };
  const std::vector<std::uint32_t> expected = {Ip(192, 168, 1, 255), Ip(172, 20, 79, 255), Ip(169, 254, 255, 255)};
  EXPECT_EQ(DirectedBroadcastAddresses(interfaces), expected);
  EXPECT_TRUE(DirectedBroadcastAddresses({}).empty());
}

}  // namespace
