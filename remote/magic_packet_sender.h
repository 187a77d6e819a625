#pragma once
// Sends the Wake-on-LAN datagram on the local networks.
#include <cstdint>
#include <vector>

#include "remote/core/magic_packet.h"

struct WakeSendReport {
  int sent;   // datagrams handed to the network
  int error;  // the Winsock error of the step that failed last; 0 when none did
};

// Sends packet from a UDP socket bound to the local port: first to
// 255.255.255.255:port, then to each of directedBroadcasts (host byte
// order), port the same, then closes the socket. When the socket can't be
// created, bound or set to broadcast, nothing is sent. Starts the socket
// library on first use.
WakeSendReport SendMagicPacket(const MagicPacket& packet, unsigned short port,
                               const std::vector<std::uint32_t>& directedBroadcasts);
