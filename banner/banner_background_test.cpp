// The banner without waiting, against local servers as the proxy: the file
// on disk shows while the site holds its answer, the downloaded one once it
// has replaced it, and a window that is gone or loaded otherwise by then
// gets nothing from the worker.
#include "banner/banner_background.h"

#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "afx/module_directory.h"
#include "tests/win/banner_test_http_server.h"
#include "tests/win/banner_test_images.h"

using namespace banner_test;

namespace {

constexpr char kName[] = "background-test.gif";
constexpr DWORD kWaitMs = 15000;  // far past the download's own limit

void PumpMessages() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
}

// Waits with the window's messages flowing, as the dialogs' loops do.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (!condition()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    PumpMessages();
    ::Sleep(10);
  }
  return true;
}

class BannerBackgroundTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
  }

  void SetUp() override {
    m_path = GetModuleDirectory() + kName;
    ::DeleteFileA(m_path.c_str());
    // The first window of a process can fail while the prefix's desktop is
    // still coming up; give it time.
    for (int attempt = 0; attempt < 100 && m_window == nullptr; ++attempt) {
      m_window = ::CreateWindowA("STATIC", "", WS_POPUP | SS_NOTIFY | SS_BLACKRECT, 50, 60, 10, 10, nullptr, nullptr,
                                 ::GetModuleHandleA(nullptr), nullptr);
      if (m_window == nullptr) ::Sleep(200);
    }
    ASSERT_NE(m_window, nullptr);
    ASSERT_TRUE(m_picture.SubclassWindow(m_window));
  }

  void TearDown() override {
    m_picture.Clear();
    if (m_window != nullptr) ::DestroyWindow(m_window);
    ::DeleteFileA(m_path.c_str());
  }

  SIZE ControlSize() const {
    RECT rect{};
    ::GetWindowRect(m_window, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
  }
  bool WaitForSize(LONG width, LONG height) {
    return WaitUntil([&] { return ControlSize().cx == width && ControlSize().cy == height; }, kWaitMs);
  }
  // The worker has ended, and what it delivered has been taken.
  static bool WaitForWorker(const KernelHandle& worker) {
    const bool ended = WaitUntil([&] { return ::WaitForSingleObject(worker.get(), 0) == WAIT_OBJECT_0; }, kWaitMs);
    PumpMessages();
    return ended;
  }
  bool HasPicture() {
    HDC dc = ::CreateCompatibleDC(nullptr);
    const BOOL copied = m_picture.CopySurfaceTo(dc);
    ::DeleteDC(dc);
    return copied != FALSE;
  }

  HWND m_window = nullptr;
  CAnimatedPicture m_picture;
  std::string m_path;
  const Bytes m_onDisk = MakeGif(16, 8, {TestFrame{0, 0, 8, 8, kRed}, TestFrame{8, 0, 8, 8, kGreen}});
  const Bytes m_served = MakeGif(24, 8, {TestFrame{0, 0, 8, 8, kBlue}, TestFrame{8, 0, 8, 8, kGreen}});
};

TEST_F(BannerBackgroundTest, TheFileOnDiskShowsWhileTheSiteHoldsItsAnswerAndTheDownloadedOneAfter) {
  WriteBytes(m_path, m_onDisk);
  TestHttpServer server(ServerBehaviour::StallThenAnswer, "200 OK", m_served);
  UseProxy(server.port());
  // Back with the answer still held: a caller that waited for the download
  // would never see it released in time.
  const KernelHandle worker = ShowBannerInBackground(m_picture, kName);
  ASSERT_TRUE(worker);
  m_picture.Start();
  ASSERT_TRUE(WaitForSize(16, 8)) << "the banner on disk";
  EXPECT_TRUE(m_picture.IsAnimation());
  EXPECT_EQ(ReadBytes(m_path), m_onDisk);

  server.Release();
  EXPECT_TRUE(WaitForSize(24, 8)) << "the downloaded banner";
  EXPECT_TRUE(WaitForWorker(worker));
  EXPECT_EQ(ReadBytes(m_path), m_served);
  EXPECT_TRUE(m_picture.IsAnimation());
}

TEST_F(BannerBackgroundTest, AnAnswerThatNeverComesLeavesTheFileOnDiskShown) {
  WriteBytes(m_path, m_onDisk);
  TestHttpServer server(ServerBehaviour::StallThenAnswer, "200 OK", m_served);
  UseProxy(server.port());
  const KernelHandle worker = ShowBannerInBackground(m_picture, kName);
  m_picture.Start();
  EXPECT_TRUE(WaitForWorker(worker)) << "the download gives up on its own";
  EXPECT_EQ(ReadBytes(m_path), m_onDisk);
  EXPECT_EQ(ControlSize().cx, 16);
  EXPECT_TRUE(m_picture.IsAnimation());
}

TEST_F(BannerBackgroundTest, NoFileAndAFailedDownloadLeaveTheControlEmpty) {
  TestHttpServer server(ServerBehaviour::Answer, "404 Not Found", Bytes{'n', 'o'});
  UseProxy(server.port());
  const KernelHandle worker = ShowBannerInBackground(m_picture, kName);
  m_picture.Start();
  EXPECT_TRUE(WaitForWorker(worker));
  EXPECT_FALSE(HasPicture());
  EXPECT_EQ(ControlSize().cx, 10);
  EXPECT_EQ(::GetFileAttributesA(m_path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(BannerBackgroundTest, AStillPictureArrivesAlreadyDrawn) {
  constexpr std::uint32_t kColour = 0x2060A0;
  WriteBytes(m_path, MakeBmp(20, 10, kColour));
  TestHttpServer server(ServerBehaviour::Answer, "404 Not Found", Bytes{'n', 'o'});
  UseProxy(server.port());
  const KernelHandle worker = ShowBannerInBackground(m_picture, kName);
  ASSERT_TRUE(WaitForSize(20, 10));
  // Not started yet: what the surface holds was drawn by the worker.
  HDC dc = ::CreateCompatibleDC(nullptr);
  HBITMAP bitmap = ::CreateBitmap(20, 10, 1, 32, nullptr);
  HGDIOBJ before = ::SelectObject(dc, bitmap);
  ASSERT_TRUE(m_picture.CopySurfaceTo(dc));
  EXPECT_EQ(::GetPixel(dc, 10, 5), RGB(0x20, 0x60, 0xA0));
  ::SelectObject(dc, before);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  EXPECT_TRUE(m_picture.Start());
  EXPECT_TRUE(WaitForWorker(worker));
}

TEST_F(BannerBackgroundTest, ALoadOfTheCallersOwnIsNotOverriddenByTheWorker) {
  WriteBytes(m_path, m_onDisk);
  TestHttpServer server(ServerBehaviour::StallThenAnswer, "200 OK", m_served);
  UseProxy(server.port());
  const KernelHandle worker = ShowBannerInBackground(m_picture, kName);
  const std::string own = GetModuleDirectory() + "background-own.gif";
  WriteBytes(own, MakeGif(40, 8, {TestFrame{0, 0, 8, 8, kWhite}, TestFrame{8, 0, 8, 8, kRed}}));
  ASSERT_TRUE(m_picture.LoadFromFile(own));
  server.Release();
  EXPECT_TRUE(WaitForWorker(worker));
  EXPECT_EQ(ReadBytes(m_path), m_served) << "the download still lands, for the next window";
  EXPECT_EQ(ControlSize().cx, 40);
  ::DeleteFileA(own.c_str());
}

TEST_F(BannerBackgroundTest, AWindowThatGoesFirstGetsNothingAndTheWorkerEnds) {
  WriteBytes(m_path, m_onDisk);
  TestHttpServer server(ServerBehaviour::Answer, "200 OK", m_served);
  UseProxy(server.port());
  const KernelHandle worker = ShowBannerInBackground(m_picture, kName);
  m_picture.Start();
  ASSERT_TRUE(::DestroyWindow(m_window));
  m_window = nullptr;
  EXPECT_TRUE(WaitForWorker(worker));
  EXPECT_FALSE(HasPicture());
  EXPECT_EQ(ReadBytes(m_path), m_served);
}

}  // namespace
