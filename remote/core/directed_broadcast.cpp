#include "remote/core/directed_broadcast.h"

#include <algorithm>

namespace {
constexpr std::uint32_t kLoopbackNet = 0x7F000000;
constexpr std::uint32_t kLoopbackMask = 0xFF000000;
constexpr std::uint32_t kLimitedBroadcast = 0xFFFFFFFF;
}  // namespace

std::vector<std::uint32_t> DirectedBroadcastAddresses(const std::vector<Ipv4Interface>& interfaces) {
  std::vector<std::uint32_t> targets;
  for (const Ipv4Interface& in : interfaces) {
    if (!in.up || in.address == 0 || (in.address & kLoopbackMask) == kLoopbackNet) continue;
    if (in.mask == kLimitedBroadcast) continue;
    const std::uint32_t broadcast = in.address | ~in.mask;
    if (broadcast == kLimitedBroadcast) continue;
    if (std::find(targets.begin(), targets.end(), broadcast) == targets.end()) targets.push_back(broadcast);
  }
  return targets;
}
