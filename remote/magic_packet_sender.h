#pragma once
// Broadcasts one Wake-on-LAN datagram on the local network.
#include "remote/core/magic_packet.h"

enum class WakeSendOutcome {
  kNotBroadcast,  // socket not created, port taken or broadcast refused: nothing sent
  kSent,          // handed to the network
  kSendFailed,    // the send itself failed (the caller does not tell the user)
};

// Sends packet once to 255.255.255.255:port from a UDP socket bound to the
// same local port, then closes the socket. Starts the socket library on first use.
WakeSendOutcome BroadcastMagicPacket(const MagicPacket& packet, unsigned short port);
