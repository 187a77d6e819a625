#pragma once
// Test helper: HTTP servers on 127.0.0.1 that misbehave in the ways a real
// site can, one connection at a time, on a thread of their own. Used as the
// proxy of the download, so every request reaches them whatever its host.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace banner_test {

enum class ServerBehaviour {
  Answer,           // status line and body as given
  StallThenAnswer,  // reads the request, answers only when released
  Trickle,          // announces the body, then one byte every 200 ms
  Huge,             // announces 1 GB and sends as fast as it can
  Endless,          // announces no length and sends as fast as it can
  ShortBody,        // announces more than it sends, then closes
  NoLength,         // announces no length, sends the body, then closes
  SlowTrickle,      // announces the body, then one byte every 2 s
};

class TestHttpServer {
 public:
  TestHttpServer(ServerBehaviour behaviour, std::string status, std::vector<std::uint8_t> body)
      : m_behaviour(behaviour), m_status(std::move(status)), m_body(std::move(body)) {
    m_listener = ListenOnLoopback(SOMAXCONN, &m_port);
    m_thread = std::thread([this] { Serve(); });
  }
  ~TestHttpServer() {
    m_stopping = true;
    Release();
    // Wake a pending accept with a connection of our own.
    SOCKET waker = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(m_port);
    ::connect(waker, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::closesocket(waker);
    m_thread.join();
    ::closesocket(m_listener);
  }
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  unsigned short port() const { return m_port; }
  // Lets a stalled answer go.
  void Release() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_released = true;
    m_wake.notify_all();
  }
  // The request head of the last connection, as received.
  std::string lastRequest() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastRequest;
  }
  // Waits until the server is done with a connection: its whole answer
  // written, or the client found gone (a client that gave up may close
  // before or while the answer goes out).
  bool WaitDone(int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_wake.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_done; });
  }

  // A listening socket on 127.0.0.1 with an ephemeral port.
  static SOCKET ListenOnLoopback(int backlog, unsigned short* port) {
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::listen(s, backlog);
    int length = sizeof(address);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    *port = ntohs(address.sin_port);
    return s;
  }

 private:
  void Serve() {
    while (!m_stopping) {
      SOCKET client = ::accept(m_listener, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      Handle(client);
      ::shutdown(client, SD_BOTH);
      ::closesocket(client);
      std::lock_guard<std::mutex> lock(m_mutex);
      m_done = true;
      m_wake.notify_all();
    }
  }

  void Handle(SOCKET client) {
    std::string head;
    char chunk[1024];
    while (head.find("\r\n\r\n") == std::string::npos) {
      const int n = ::recv(client, chunk, sizeof(chunk), 0);
      if (n <= 0) return;
      head.append(chunk, static_cast<std::size_t>(n));
    }
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_lastRequest = head;
    }
    if (m_behaviour == ServerBehaviour::StallThenAnswer) {
      std::unique_lock<std::mutex> lock(m_mutex);
      m_wake.wait(lock, [this] { return m_released; });
      if (m_stopping) return;
    }
    std::size_t announced = m_body.size();
    if (m_behaviour == ServerBehaviour::Huge) announced = 1u << 30;
    if (m_behaviour == ServerBehaviour::ShortBody) announced = m_body.size() + 100;
    std::string answer = "HTTP/1.1 " + m_status + "\r\nContent-Type: image/gif\r\n";
    if (m_behaviour != ServerBehaviour::Endless && m_behaviour != ServerBehaviour::NoLength) answer += "Content-Length: " + std::to_string(announced) + "\r\n";
    answer += "Connection: close\r\n\r\n";
    if (!SendAll(client, answer.data(), answer.size())) return;

    switch (m_behaviour) {
      case ServerBehaviour::Trickle:
      case ServerBehaviour::SlowTrickle:
        for (std::uint8_t byte : m_body) {
          if (m_stopping || !SendAll(client, reinterpret_cast<const char*>(&byte), 1)) return;
          std::this_thread::sleep_for(
              std::chrono::milliseconds(m_behaviour == ServerBehaviour::Trickle ? 200 : 2000));
        }
        break;
      case ServerBehaviour::Huge:
      case ServerBehaviour::Endless: {
        const std::vector<char> block(64 * 1024, 'x');
        for (std::size_t sent = 0; sent < (1u << 30) && !m_stopping; sent += block.size()) {
          if (!SendAll(client, block.data(), block.size())) return;
        }
        break;
      }
      default:
        if (!SendAll(client, reinterpret_cast<const char*>(m_body.data()), m_body.size())) return;
    }
  }

  static bool SendAll(SOCKET s, const char* data, std::size_t size) {
    while (size > 0) {
      const int n = ::send(s, data, static_cast<int>(size), 0);
      if (n <= 0) return false;
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

  const ServerBehaviour m_behaviour;
  const std::string m_status;
  const std::vector<std::uint8_t> m_body;
  SOCKET m_listener = INVALID_SOCKET;
  unsigned short m_port = 0;
  std::atomic<bool> m_stopping{false};
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_released = false;
  bool m_done = false;
  std::string m_lastRequest;
  std::thread m_thread;
};

// Every request goes to the proxy, so the shipped URL and host name are
// used unchanged and nothing is looked up.
inline void UseProxy(unsigned short port) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0,
                        nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  const DWORD enable = 1;
  const std::string server = "127.0.0.1:" + std::to_string(port);
  ::RegSetValueExA(key, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enable), sizeof(enable));
  ::RegSetValueExA(key, "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                   static_cast<DWORD>(server.size() + 1));
  ::RegCloseKey(key);
}

}  // namespace banner_test
