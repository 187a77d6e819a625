#pragma once
// Where the wake datagram goes besides 255.255.255.255: a datagram to the
// limited broadcast leaves through one adapter only, so every other network
// the computer sits on gets it at its own broadcast address.
#include <cstdint>
#include <vector>

// One IPv4 address of an adapter, in host byte order.
struct Ipv4Interface {
  std::uint32_t address;
  std::uint32_t mask;
  bool up;
};

// The directed broadcast address (address OR NOT mask) of each interface that
// is up, once each, in the order found. Left out: loopback, addresses not
// yet assigned (0.0.0.0), single-host masks (their "broadcast" is the
// address itself) and 255.255.255.255, which is sent to first anyway.
std::vector<std::uint32_t> DirectedBroadcastAddresses(const std::vector<Ipv4Interface>& interfaces);
