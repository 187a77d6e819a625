#include "remote/ipv4_interfaces.h"

#include <winsock2.h>
#include <iphlpapi.h>

namespace {
// The table can grow between the size query and the read.
constexpr int kTableAttempts = 3;
// Addresses of an adapter that is unplugged or going away.
constexpr unsigned short kAddressNotUsable = MIB_IPADDR_DISCONNECTED | MIB_IPADDR_DELETED;
}  // namespace

std::vector<Ipv4Interface> ReadIpv4Interfaces() {
  std::vector<unsigned char> buffer(sizeof(MIB_IPADDRTABLE));
  for (int attempt = 0; attempt < kTableAttempts; ++attempt) {
    ULONG size = static_cast<ULONG>(buffer.size());
    const DWORD status = ::GetIpAddrTable(reinterpret_cast<MIB_IPADDRTABLE*>(buffer.data()), &size, FALSE);
    if (status == ERROR_INSUFFICIENT_BUFFER) {
      buffer.resize(size);
      continue;
    }
    if (status != NO_ERROR) break;
    const auto* table = reinterpret_cast<const MIB_IPADDRTABLE*>(buffer.data());
    std::vector<Ipv4Interface> found;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
      const MIB_IPADDRROW& row = table->table[i];
      found.push_back({ntohl(row.dwAddr), ntohl(row.dwMask), (row.wType & kAddressNotUsable) == 0});
    }
    return found;
  }
  return {};
}
