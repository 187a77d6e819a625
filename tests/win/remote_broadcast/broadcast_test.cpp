// The wake datagram as it leaves the sender: captured on loopback inside a
// private network namespace (see run.sh), never anywhere else.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "remote/core/directed_broadcast.h"
#include "remote/core/magic_packet.h"
#include "remote/ipv4_interfaces.h"
#include "remote/magic_packet_sender.h"
#include "remote/wake_port.h"

namespace {

struct Datagram {
  std::string source;
  std::string destination;
  unsigned sourcePort;
  unsigned destinationPort;
  std::vector<unsigned char> payload;
};

std::string Dotted(const unsigned char* address) {
  return std::to_string(address[0]) + "." + std::to_string(address[1]) + "." + std::to_string(address[2]) + "." +
         std::to_string(address[3]);
}

// Sees every UDP datagram the namespace delivers, headers included.
class UdpCapture {
 public:
  UdpCapture() {
    m_socket = ::socket(AF_INET, SOCK_RAW, IPPROTO_UDP);
    const DWORD timeoutMs = 300;
    if (m_socket != INVALID_SOCKET)
      ::setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof(timeoutMs));
  }
  ~UdpCapture() {
    if (m_socket != INVALID_SOCKET) ::closesocket(m_socket);
  }
  UdpCapture(const UdpCapture&) = delete;
  UdpCapture& operator=(const UdpCapture&) = delete;

  bool Ok() const { return m_socket != INVALID_SOCKET; }

  // The datagrams to port that arrive until the line stays quiet.
  std::vector<Datagram> Collect(unsigned port) {
    std::vector<Datagram> found;
    unsigned char raw[2048];
    for (int quiet = 0; quiet < 2;) {
      const int length = ::recv(m_socket, reinterpret_cast<char*>(raw), sizeof(raw), 0);
      if (length <= 0) {
        ++quiet;
        continue;
      }
      const int headerLength = (raw[0] & 0x0F) * 4;
      if ((raw[0] >> 4) != 4 || raw[9] != IPPROTO_UDP || length < headerLength + 8) continue;
      const unsigned char* udp = raw + headerLength;
      Datagram d;
      d.source = Dotted(raw + 12);
      d.destination = Dotted(raw + 16);
      d.sourcePort = (udp[0] << 8) | udp[1];
      d.destinationPort = (udp[2] << 8) | udp[3];
      d.payload.assign(udp + 8, static_cast<const unsigned char*>(raw) + length);
      if (d.destinationPort == port) found.push_back(d);
    }
    return found;
  }

 private:
  SOCKET m_socket = INVALID_SOCKET;
};

class BroadcastFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* privateNet = std::getenv("VARO_PRIVATE_NET");
    if (!privateNet || std::strcmp(privateNet, "1") != 0) GTEST_SKIP() << "only inside a private network namespace";
    WSADATA data;
    ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &data), 0);
    m_started = true;
  }
  void TearDown() override {
    if (m_started) ::WSACleanup();
  }
  bool m_started = false;
};

std::vector<unsigned char> ExpectedPayload(const std::vector<unsigned char>& address) {
  std::vector<unsigned char> bytes(6, 0xFF);
  for (int i = 0; i < 16; ++i) bytes.insert(bytes.end(), address.begin(), address.end());
  return bytes;
}

TEST_F(BroadcastFixture, OneDatagramFromPortToPortWithThePacket) {
  UdpCapture capture;
  ASSERT_TRUE(capture.Ok()) << ::WSAGetLastError();
  // The namespace has loopback only, which gets no directed broadcast.
  const std::vector<std::uint32_t> networks = DirectedBroadcastAddresses(ReadIpv4Interfaces());
  EXPECT_TRUE(networks.empty());
  const WakeSendReport report = SendMagicPacket(BuildMagicPacket("00-11-22-33-44-55"), 40000, networks);
  EXPECT_EQ(report.sent, 1);
  EXPECT_EQ(report.error, 0);
  const auto datagrams = capture.Collect(40000);
  ASSERT_EQ(datagrams.size(), 1u);
  EXPECT_EQ(datagrams[0].destination, "255.255.255.255");
  EXPECT_EQ(datagrams[0].sourcePort, 40000u);
  EXPECT_EQ(datagrams[0].payload, ExpectedPayload({0x00, 0x11, 0x22, 0x33, 0x44, 0x55}));
}

TEST_F(BroadcastFixture, LoopbackInterfaceIsSeenAndLeftOut) {
  bool loopbackSeen = false;
  for (const Ipv4Interface& in : ReadIpv4Interfaces()) loopbackSeen = loopbackSeen || in.address == 0x7F000001;
  EXPECT_TRUE(loopbackSeen) << "the adapter table was not read";
}

TEST_F(BroadcastFixture, EachDirectedBroadcastFollowsTheFirstSendFromTheSameSocket) {
  UdpCapture capture;
  ASSERT_TRUE(capture.Ok());
  const std::uint32_t loopbackBroadcast = 0x7FFFFFFF;  // 127.255.255.255 stays on this machine
  const WakeSendReport report =
      SendMagicPacket(BuildMagicPacket("00-11-22-33-44-55"), 40000, {loopbackBroadcast});
  EXPECT_EQ(report.sent, 2);
  const auto datagrams = capture.Collect(40000);
  ASSERT_EQ(datagrams.size(), 2u);
  EXPECT_EQ(datagrams[0].destination, "255.255.255.255");
  EXPECT_EQ(datagrams[1].destination, "127.255.255.255");
  for (const Datagram& d : datagrams) {
    EXPECT_EQ(d.sourcePort, 40000u);
    EXPECT_EQ(d.payload, ExpectedPayload({0x00, 0x11, 0x22, 0x33, 0x44, 0x55}));
  }
}

TEST_F(BroadcastFixture, PortTextBeyondSixteenBitsWraps) {
  UdpCapture capture;
  ASSERT_TRUE(capture.Ok());
  const unsigned short port = WakePortFromText("70000");
  EXPECT_EQ(SendMagicPacket(BuildMagicPacket("aa-BB-cc-DD-ee-FF"), port, {}).sent, 1);
  const auto datagrams = capture.Collect(4464);
  ASSERT_EQ(datagrams.size(), 1u);
  EXPECT_EQ(datagrams[0].sourcePort, 4464u);
  EXPECT_EQ(datagrams[0].payload, ExpectedPayload({0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}));
}

TEST_F(BroadcastFixture, TakenPortSendsNothingAndTellsTheError) {
  SOCKET holder = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  ASSERT_NE(holder, INVALID_SOCKET);
  sockaddr_in local = {};
  local.sin_family = AF_INET;
  local.sin_port = htons(40000);
  ASSERT_EQ(::bind(holder, reinterpret_cast<const sockaddr*>(&local), sizeof(local)), 0);

  UdpCapture capture;
  ASSERT_TRUE(capture.Ok());
  const WakeSendReport refused = SendMagicPacket(BuildMagicPacket("00-11-22-33-44-55"), 40000, {0x7FFFFFFF});
  EXPECT_EQ(refused.sent, 0);
  EXPECT_EQ(refused.error, WSAEADDRINUSE);
  EXPECT_TRUE(capture.Collect(40000).empty());
  ::closesocket(holder);

  // Once the port is free again the next press sends.
  EXPECT_EQ(SendMagicPacket(BuildMagicPacket("00-11-22-33-44-55"), 40000, {}).sent, 1);
  EXPECT_EQ(capture.Collect(40000).size(), 1u);
}

}  // namespace
