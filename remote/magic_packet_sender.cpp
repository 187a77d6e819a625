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
// Each step answers 0 or the Winsock error it met.
class UdpSocket {
 public:
  UdpSocket() = default;
  ~UdpSocket() { Close(); }
  UdpSocket(const UdpSocket&) = delete;
  UdpSocket& operator=(const UdpSocket&) = delete;

  // Creates the socket and binds it to any local address at port: fails
  // while another socket holds the port or the system reserves it.
  int Create(unsigned short port) {
    m_socket = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (m_socket == INVALID_SOCKET) return ::WSAGetLastError();
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = htons(port);
    if (::bind(m_socket, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) == SOCKET_ERROR) {
      return ::WSAGetLastError();
    }
    return 0;
  }

  int EnableBroadcast() {
    const BOOL on = TRUE;
    const int set = ::setsockopt(m_socket, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof(on));
    return set == 0 ? 0 : ::WSAGetLastError();
  }

  int SendTo(const void* data, int length, unsigned short port, ULONG address) {
    sockaddr_in remote = {};
    remote.sin_family = AF_INET;
    remote.sin_addr.s_addr = htonl(address);
    remote.sin_port = htons(port);
    const int sent = ::sendto(m_socket, static_cast<const char*>(data), length, 0,
                              reinterpret_cast<const sockaddr*>(&remote), sizeof(remote));
    if (sent == SOCKET_ERROR) return ::WSAGetLastError();
    return sent == length ? 0 : WSAEMSGSIZE;
  }

  void Close() {
    if (m_socket != INVALID_SOCKET) ::closesocket(m_socket);
    m_socket = INVALID_SOCKET;
  }

 private:
  SOCKET m_socket = INVALID_SOCKET;
};

}  // namespace

WakeSendReport SendMagicPacket(const MagicPacket& packet, unsigned short port,
                               const std::vector<std::uint32_t>& directedBroadcasts) {
  EnsureWinsock();
  WakeSendReport report{0, 0};
  UdpSocket socket;
  report.error = socket.Create(port);
  if (report.error == 0) report.error = socket.EnableBroadcast();
  if (report.error != 0) return report;

  std::vector<std::uint32_t> targets = {INADDR_BROADCAST};
  targets.insert(targets.end(), directedBroadcasts.begin(), directedBroadcasts.end());
  for (std::uint32_t target : targets) {
    const int error = socket.SendTo(packet.data(), static_cast<int>(packet.size()), port, target);
    if (error == 0) {
      ++report.sent;
    } else {
      report.error = error;
    }
  }
  socket.Close();
  return report;
}
