// The banner download against local servers that answer, fail, stall,
// trickle or flood: it returns in time, keeps the old banner on every
// failure, and a late answer never lands after it gave up.
#include "banner/banner_fetch.h"

#include <winsock2.h>
#include <windows.h>
#include <wininet.h>

#include <process.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "afx/handles.h"
#include "afx/module_directory.h"
#include "banner/banner_download.h"
#include "banner/com_apartment.h"
#include "tests/win/banner_test_http_server.h"
#include "tests/win/banner_test_images.h"

using namespace banner_test;

namespace {

constexpr char kName[] = "fetch-test.gif";
constexpr DWORD kPromisedMs = 5000;

// Files the replacement step may have left beside the banner.
int LeftoverTempFiles() {
  WIN32_FIND_DATAA found{};
  HANDLE search = ::FindFirstFileA((GetModuleDirectory() + "ban*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do ++count;
  while (::FindNextFileA(search, &found));
  ::FindClose(search);
  return count;
}

// A port on which nothing listens.
unsigned short ClosedPort() {
  unsigned short port = 0;
  ::closesocket(TestHttpServer::ListenOnLoopback(1, &port));
  return port;
}

// A listener whose queue is full: a further connect is never answered.
class FullBacklogListener {
 public:
  FullBacklogListener() {
    m_listener = TestHttpServer::ListenOnLoopback(0, &m_port);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(m_port);
    for (int i = 0; i < 4; ++i) {
      SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
      u_long nonBlocking = 1;
      ::ioctlsocket(s, FIONBIO, &nonBlocking);
      ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address));
      m_fillers.push_back(s);
    }
    ::Sleep(200);
  }
  ~FullBacklogListener() {
    for (SOCKET s : m_fillers) ::closesocket(s);
    ::closesocket(m_listener);
  }
  unsigned short port() const { return m_port; }

 private:
  SOCKET m_listener;
  unsigned short m_port = 0;
  std::vector<SOCKET> m_fillers;
};

class BannerFetchTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
  }

  void SetUp() override {
    m_bannerPath = GetModuleDirectory() + kName;
    WriteBytes(m_bannerPath, m_previous);
  }
  void TearDown() override { ::DeleteFileA(m_bannerPath.c_str()); }

  // Runs FetchBanner and checks it kept its time.
  BOOL TimedFetch() {
    const DWORD start = ::GetTickCount();
    const BOOL result = FetchBanner(kName);
    m_elapsedMs = ::GetTickCount() - start;
    EXPECT_LT(m_elapsedMs, kPromisedMs);
    return result;
  }

  std::string m_bannerPath;
  const Bytes m_previous = MakeGif(8, 8, {TestFrame{}});
  const Bytes m_fresh = MakeGif(24, 8, {TestFrame{0, 0, 8, 8, kBlue}, TestFrame{8, 0, 8, 8, kGreen}});
  DWORD m_elapsedMs = 0;
};

TEST_F(BannerFetchTest, CompleteBannerReplacesTheFileThroughTheShippedUrl) {
  TestHttpServer server(ServerBehaviour::Answer, "200 OK", m_fresh);
  UseProxy(server.port());
  EXPECT_TRUE(TimedFetch());
  EXPECT_EQ(ReadBytes(m_bannerPath), m_fresh);
  EXPECT_EQ(LeftoverTempFiles(), 0);

  const std::string request = server.lastRequest();
  // Through a proxy the request line carries the whole URL (the platform
  // may spell out the default port); the host is the site's.
  const std::string url = BannerUrl(kName);
  const std::size_t hostStart = url.find("//") + 2;
  const std::size_t pathStart = url.find('/', hostStart);
  EXPECT_EQ(request.rfind("GET http://", 0), 0u) << request;
  EXPECT_NE(request.find(url.substr(pathStart) + " HTTP/1.1\r\n"), std::string::npos) << request;
  EXPECT_NE(request.find("Host: " + url.substr(hostStart, pathStart - hostStart) + "\r\n"), std::string::npos)
      << request;
  EXPECT_NE(request.find("User-Agent: VAROFETCH\r\n"), std::string::npos) << request;
  EXPECT_NE(request.find("no-cache"), std::string::npos) << "caches bypassed:\n" << request;
}

TEST_F(BannerFetchTest, AnythingButACompleteBannerLeavesTheFileAlone) {
  TestFrame text;
  text.plainText = true;
  struct Case {
    const char* what;
    ServerBehaviour behaviour;
    const char* status;
    Bytes body;
  };
  const Bytes errorPage{'<', 'h', '1', '>', 'e', 'r', 'r', 'o', 'r', '<', '/', 'h', '1', '>'};
  const std::string login = "<html><body><form action=/login>Please log in</form></body></html>";
  Bytes cutInFirstFrame = MakeGif(24, 8, {TestFrame{0, 0, 8, 8, kBlue}});
  cutInFirstFrame.resize(cutInFirstFrame.size() - 4);
  const Case cases[] = {
      {"login page answered with 200", ServerBehaviour::Answer, "200 OK", Bytes(login.begin(), login.end())},
      {"GIF cut off in its first frame", ServerBehaviour::Answer, "200 OK", cutInFirstFrame},
      {"GIF over the pixel budget", ServerBehaviour::Answer, "200 OK", MakeGif(65535, 65535, {TestFrame{}})},
      {"GIF whose only frame does not decode", ServerBehaviour::Answer, "200 OK", MakeGif(8, 8, {text})},
      {"not found", ServerBehaviour::Answer, "404 Not Found", errorPage},
      {"server error", ServerBehaviour::Answer, "500 Internal Server Error", errorPage},
      {"no content", ServerBehaviour::Answer, "204 No Content", {}},
      {"empty body", ServerBehaviour::Answer, "200 OK", {}},
      {"body cut short", ServerBehaviour::ShortBody, "200 OK", m_fresh},
      {"huge announced body", ServerBehaviour::Huge, "200 OK", {}},
      {"endless body", ServerBehaviour::Endless, "200 OK", {}},
      {"stalls after the request", ServerBehaviour::StallThenAnswer, "200 OK", m_fresh},
      {"trickles the body", ServerBehaviour::Trickle, "200 OK", m_fresh},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(m_bannerPath, m_previous);
    TestHttpServer server(c.behaviour, c.status, c.body);
    UseProxy(server.port());
    EXPECT_FALSE(TimedFetch());
    EXPECT_EQ(ReadBytes(m_bannerPath), m_previous);
  }
}

TEST_F(BannerFetchTest, ACutBannerNeverReplacesTheWholeOne) {
  const Bytes still = MakeBmp(16, 8, 0x2060A0);
  const std::pair<const char*, ServerBehaviour> deliveries[] = {
      {"without a length, closed early", ServerBehaviour::NoLength},
      {"with a length, closed early", ServerBehaviour::ShortBody},
  };
  for (const auto& picture : {std::make_pair("GIF", m_fresh), std::make_pair("BMP", still)}) {
    for (const auto& delivery : deliveries) {
      for (const int percent : {30, 60, 99}) {
        SCOPED_TRACE(std::string(picture.first) + " cut at " + std::to_string(percent) + "% " + delivery.first);
        Bytes cut = picture.second;
        cut.resize(cut.size() * percent / 100);
        WriteBytes(m_bannerPath, m_previous);
        TestHttpServer server(delivery.second, "200 OK", cut);
        UseProxy(server.port());
        EXPECT_FALSE(TimedFetch());
        EXPECT_EQ(ReadBytes(m_bannerPath), m_previous);
      }
    }
  }
  // The whole banner without a length still counts.
  TestHttpServer whole(ServerBehaviour::NoLength, "200 OK", m_fresh);
  UseProxy(whole.port());
  EXPECT_TRUE(TimedFetch());
  EXPECT_EQ(ReadBytes(m_bannerPath), m_fresh);
}

TEST_F(BannerFetchTest, AFailedReplacementLeavesTheOldBannerWhole) {
  // Held open without delete sharing, the banner cannot be replaced.
  {
    const KernelHandle reader(::CreateFileA(m_bannerPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(reader);
    TestHttpServer server(ServerBehaviour::Answer, "200 OK", m_fresh);
    UseProxy(server.port());
    EXPECT_FALSE(TimedFetch());
  }
  EXPECT_EQ(ReadBytes(m_bannerPath), m_previous);
  EXPECT_EQ(LeftoverTempFiles(), 0) << "the new bytes are removed when they cannot land";

  TestHttpServer server(ServerBehaviour::Answer, "200 OK", m_fresh);
  UseProxy(server.port());
  EXPECT_TRUE(TimedFetch());
  EXPECT_EQ(ReadBytes(m_bannerPath), m_fresh);
  EXPECT_EQ(LeftoverTempFiles(), 0);
}

TEST_F(BannerFetchTest, EveryPictureFormatTheControlShowsReplacesTheFile) {
  const Bytes still = MakeBmp(16, 8, 0x2060A0);
  TestHttpServer server(ServerBehaviour::Answer, "200 OK", still);
  UseProxy(server.port());
  EXPECT_TRUE(TimedFetch());
  EXPECT_EQ(ReadBytes(m_bannerPath), still);
}

TEST_F(BannerFetchTest, TheBrowserCacheIsNeitherReadNorWritten) {
  const std::string url = BannerUrl(kName);
  // A stale copy under the banner's URL, fresh for another day.
  const Bytes stale = MakeGif(8, 8, {TestFrame{0, 0, 8, 8, kGreen}});
  char cacheFile[MAX_PATH] = {};
  ASSERT_TRUE(::CreateUrlCacheEntryA(url.c_str(), static_cast<DWORD>(stale.size()), "gif", cacheFile, 0));
  WriteBytes(cacheFile, stale);
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER expires{};
  expires.LowPart = now.dwLowDateTime;
  expires.HighPart = now.dwHighDateTime;
  expires.QuadPart += 24ull * 3600 * 10000000;
  const FILETIME expiry{expires.LowPart, expires.HighPart};
  const char headers[] = "HTTP/1.1 200 OK\r\nContent-Type: image/gif\r\nCache-Control: max-age=86400\r\n\r\n";
  ASSERT_TRUE(::CommitUrlCacheEntryA(url.c_str(), cacheFile, expiry, now, NORMAL_CACHE_ENTRY,
                                     reinterpret_cast<BYTE*>(const_cast<char*>(headers)), sizeof(headers) - 1, nullptr,
                                     nullptr));

  TestHttpServer server(ServerBehaviour::Answer, "200 OK", m_fresh);
  UseProxy(server.port());
  EXPECT_TRUE(TimedFetch());
  EXPECT_EQ(ReadBytes(m_bannerPath), m_fresh) << "the server's banner, not the cached one";
  EXPECT_FALSE(server.lastRequest().empty());

  // Nothing the download brought is left in the cache.
  ASSERT_TRUE(::DeleteUrlCacheEntryA(url.c_str()));
  TestHttpServer again(ServerBehaviour::Answer, "200 OK", m_fresh);
  UseProxy(again.port());
  EXPECT_TRUE(TimedFetch());
  DWORD size = 0;
  EXPECT_FALSE(::GetUrlCacheEntryInfoA(url.c_str(), nullptr, &size) || ::GetLastError() == ERROR_INSUFFICIENT_BUFFER)
      << "cache entry written for " << url;

  // The platform here never answers from its cache, so the stale copy above
  // cannot tell whether the request forbids it: the flags must say so.
  EXPECT_TRUE(DownloadRequestFlags() & INTERNET_FLAG_RELOAD);
  EXPECT_FALSE(DownloadRequestFlags() & INTERNET_FLAG_NEED_FILE) << "a cache file would store the download";
}

TEST_F(BannerFetchTest, UnreachableServerFailsInTime) {
  {
    SCOPED_TRACE("connection refused");
    UseProxy(ClosedPort());
    EXPECT_FALSE(TimedFetch());
    EXPECT_LT(m_elapsedMs, 2000u) << "a refusal needs no waiting";
  }
  {
    SCOPED_TRACE("connect never answered");
    FullBacklogListener listener;
    UseProxy(listener.port());
    EXPECT_FALSE(TimedFetch());
  }
  EXPECT_EQ(ReadBytes(m_bannerPath), m_previous);
}

TEST_F(BannerFetchTest, LateAnswerNeverLandsAfterGivingUp) {
  TestHttpServer late(ServerBehaviour::StallThenAnswer, "200 OK", m_fresh);
  UseProxy(late.port());
  EXPECT_FALSE(TimedFetch());
  late.Release();
  // The late answer goes out, or finds the connection closed by the fetch
  // that gave up: either way it must not land. A cap, not the expected time:
  // on a busy machine the server's thread may come to it only seconds later.
  ASSERT_TRUE(late.WaitDone(30000)) << "the fetch's connection never reached the server";
  ::Sleep(1500);
  EXPECT_EQ(ReadBytes(m_bannerPath), m_previous);

  // The abandoned download does not stand in the way of the next one.
  TestHttpServer good(ServerBehaviour::Answer, "200 OK", m_fresh);
  UseProxy(good.port());
  EXPECT_TRUE(TimedFetch());
  EXPECT_EQ(ReadBytes(m_bannerPath), m_fresh);
}

TEST_F(BannerFetchTest, AnAbandonedDownloadEndsItsConnection) {
  // A byte every 2 s keeps each read of a worker left alone going for hours;
  // a caller that gives up closes its handles and so its connection.
  std::vector<std::unique_ptr<TestHttpServer>> slow;
  for (int i = 0; i < 2; ++i) {
    slow.push_back(std::make_unique<TestHttpServer>(ServerBehaviour::SlowTrickle, "200 OK", m_fresh));
    UseProxy(slow.back()->port());
    EXPECT_FALSE(TimedFetch());
  }
  // The server finds the connection gone at its next byte. A cap, not the
  // expected time: the trickle would take the body's length in seconds
  // times two, some minutes.
  for (auto& server : slow) EXPECT_TRUE(server->WaitDone(30000)) << "the abandoned connection is still open";
  EXPECT_EQ(ReadBytes(m_bannerPath), m_previous);

  // Two abandoned downloads leave no stuck workers behind the next one.
  TestHttpServer good(ServerBehaviour::Answer, "200 OK", m_fresh);
  UseProxy(good.port());
  EXPECT_TRUE(TimedFetch());
  EXPECT_EQ(ReadBytes(m_bannerPath), m_fresh);
}

// What COM says on a fresh thread while a ComApartment lives, and after.
struct ApartmentSeen {
  bool initialised = false;
  HRESULT multithreadedWhileHeld = S_OK;
  HRESULT multithreadedAfter = E_FAIL;
};

unsigned __stdcall ProbeApartment(void* seen) {
  auto& result = *static_cast<ApartmentSeen*>(seen);
  {
    const ComApartment apartment;
    result.initialised = apartment.initialised();
    result.multithreadedWhileHeld = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(result.multithreadedWhileHeld)) ::CoUninitialize();
  }
  result.multithreadedAfter = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (SUCCEEDED(result.multithreadedAfter)) ::CoUninitialize();
  return 0;
}

TEST(ComApartment, HoldsTheThreadApartmentThreadedAndLetsGoAfter) {
  ApartmentSeen seen;
  const KernelHandle thread(reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &ProbeApartment, &seen, 0, nullptr)));
  ASSERT_TRUE(thread);
  ASSERT_EQ(::WaitForSingleObject(thread.get(), 10000), WAIT_OBJECT_0);
  EXPECT_TRUE(seen.initialised);
  EXPECT_EQ(seen.multithreadedWhileHeld, RPC_E_CHANGED_MODE);
  EXPECT_EQ(seen.multithreadedAfter, S_OK);
}

}  // namespace
