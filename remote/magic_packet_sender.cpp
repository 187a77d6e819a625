#include "remote/magic_packet_sender.h"

#include <winsock2.h>

namespace {

// The socket library is started once, before the first socket, and stays up
// until the process ends.
class WinsockLibrary {
 public:
  WinsockLibrary() {
    WSADATA data;
    m_started = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  ~WinsockLibrary() {
    if (m_started) ::WSACleanup();
  }
  WinsockLibrary(const WinsockLibrary&) = delete;
  WinsockLibrary& operator=(const WinsockLibrary&) = delete;

 private:
  bool m_started = false;
};

void EnsureWinsock() { static WinsockLibrary s_winsock; }

// A datagram socket bound to one local port; closed when it goes out of scope.
class UdpSocket {
 public:
  UdpSocket() = default;
  ~UdpSocket() { Close(); }
  UdpSocket(const UdpSocket&) = delete;
  UdpSocket& operator=(const UdpSocket&) = delete;

  // Creates the socket and binds it to any local address at port. A socket
  // that can't be bound is closed again, so later calls on it fail.
  bool Create(unsigned short port) {
    m_socket = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (m_socket == INVALID_SOCKET) return false;
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = htons(port);
    if (::bind(m_socket, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) == SOCKET_ERROR) {
      Close();
      return false;
    }
    return true;
  }

  bool EnableBroadcast() {
    const BOOL on = TRUE;
    return ::setsockopt(m_socket, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof(on)) == 0;
  }

  int SendTo(const void* data, int length, unsigned short port, ULONG address) {
    sockaddr_in remote = {};
    remote.sin_family = AF_INET;
    remote.sin_addr.s_addr = htonl(address);
    remote.sin_port = htons(port);
    return ::sendto(m_socket, static_cast<const char*>(data), length, 0, reinterpret_cast<const sockaddr*>(&remote),
                    sizeof(remote));
  }

  void Close() {
    if (m_socket != INVALID_SOCKET) ::closesocket(m_socket);
    m_socket = INVALID_SOCKET;
  }

 private:
  SOCKET m_socket = INVALID_SOCKET;
};

}  // namespace

WakeSendOutcome BroadcastMagicPacket(const MagicPacket& packet, unsigned short port) {
  EnsureWinsock();
  UdpSocket socket;
  socket.Create(port);  // a failure shows at the next step
  // Fails on a socket that could not be bound, e.g. while another holds the port.
  if (!socket.EnableBroadcast()) return WakeSendOutcome::kNotBroadcast;
  const int sent = socket.SendTo(packet.data(), static_cast<int>(packet.size()), port, INADDR_BROADCAST);
  socket.Close();
  return sent == static_cast<int>(packet.size()) ? WakeSendOutcome::kSent : WakeSendOutcome::kSendFailed;
}
