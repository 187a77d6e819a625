// The banner without waiting, against local servers as the proxy: the file
// on disk shows while the site holds its answer, the downloaded one once it
// has replaced it, and a window that is gone or loaded otherwise by then
// gets nothing from the worker.
#include "banner/banner_background.h"

#include <winsock2.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "afx/module_directory.h"
#include "banner/scene_mailbox.h"
#include "tests/win/banner_test_http_server.h"
#include "tests/win/banner_test_images.h"
#include "tests/win/message_pump.h"

using namespace banner_test;

namespace {

constexpr char kName[] = "background-test.gif";
constexpr DWORD kWaitMs = 15000;  // far past the download's own limit

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
    // A test that stopped early must not leave its worker to write over
    // the next test's file.
    if (m_worker) ::WaitForSingleObject(m_worker.get(), kWaitMs);
    m_picture.Clear();
    if (m_window != nullptr) ::DestroyWindow(m_window);
    ::DeleteFileA(m_path.c_str());
  }

  // The site, as the proxy of every download.
  static std::unique_ptr<TestHttpServer> Serve(ServerBehaviour behaviour, const char* status, const Bytes& body) {
    auto server = std::make_unique<TestHttpServer>(behaviour, status, body);
    UseProxy(server->port());
    return server;
  }

  SIZE ControlSize() const {
    RECT rect{};
    ::GetWindowRect(m_window, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
  }
  bool WaitForSize(LONG width, LONG height) {
    return WaitUntil([&] { return ControlSize().cx == width && ControlSize().cy == height; }, kWaitMs);
  }
  void StartWorker() {
    m_worker = ShowBannerInBackground(m_picture, kName);
    ASSERT_TRUE(m_worker);
  }
  // The worker has ended, and what it delivered has been taken.
  bool WaitForWorker() {
    const bool ended =
        WaitUntil([&] { return ::WaitForSingleObject(m_worker.get(), 0) == WAIT_OBJECT_0; }, kWaitMs);
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
  KernelHandle m_worker;
  std::string m_path;
  const Bytes m_onDisk = MakeGif(16, 8, {TestFrame{0, 0, 8, 8, kRed}, TestFrame{8, 0, 8, 8, kGreen}});
  const Bytes m_served = MakeGif(24, 8, {TestFrame{0, 0, 8, 8, kBlue}, TestFrame{8, 0, 8, 8, kGreen}});
};

TEST_F(BannerBackgroundTest, TheFileOnDiskShowsWhileTheSiteHoldsItsAnswerAndTheDownloadedOneAfter) {
  WriteBytes(m_path, m_onDisk);
  const auto server = Serve(ServerBehaviour::StallThenAnswer, "200 OK", m_served);
  // Back with the answer still held: a caller that waited for the download
  // would never see it released in time.
  StartWorker();
  m_picture.Start();
  ASSERT_TRUE(WaitForSize(16, 8)) << "the banner on disk";
  EXPECT_TRUE(m_picture.IsAnimation());
  EXPECT_EQ(ReadBytes(m_path), m_onDisk);

  server->Release();
  EXPECT_TRUE(WaitForSize(24, 8)) << "the downloaded banner";
  EXPECT_TRUE(WaitForWorker());
  EXPECT_EQ(ReadBytes(m_path), m_served);
  EXPECT_TRUE(m_picture.IsAnimation());
}

TEST_F(BannerBackgroundTest, AnAnswerThatNeverComesLeavesTheFileOnDiskShown) {
  WriteBytes(m_path, m_onDisk);
  const auto server = Serve(ServerBehaviour::StallThenAnswer, "200 OK", m_served);
  StartWorker();
  m_picture.Start();
  EXPECT_TRUE(WaitForWorker()) << "the download gives up on its own";
  EXPECT_EQ(ReadBytes(m_path), m_onDisk);
  EXPECT_EQ(ControlSize().cx, 16);
  EXPECT_TRUE(m_picture.IsAnimation());
}

TEST_F(BannerBackgroundTest, NoFileAndAFailedDownloadLeaveTheControlEmpty) {
  const auto server = Serve(ServerBehaviour::Answer, "404 Not Found", Bytes{'n', 'o'});
  StartWorker();
  m_picture.Start();
  EXPECT_TRUE(WaitForWorker());
  EXPECT_FALSE(HasPicture());
  EXPECT_EQ(ControlSize().cx, 10);
  EXPECT_EQ(::GetFileAttributesA(m_path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(BannerBackgroundTest, AStillPictureArrivesAlreadyDrawn) {
  constexpr std::uint32_t kColour = 0x2060A0;
  WriteBytes(m_path, MakeBmp(20, 10, kColour));
  const auto server = Serve(ServerBehaviour::Answer, "404 Not Found", Bytes{'n', 'o'});
  StartWorker();
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
  EXPECT_TRUE(WaitForWorker());
}

TEST_F(BannerBackgroundTest, ALoadOfTheCallersOwnIsNotOverriddenByTheWorker) {
  WriteBytes(m_path, m_onDisk);
  const auto server = Serve(ServerBehaviour::StallThenAnswer, "200 OK", m_served);
  StartWorker();
  const std::string own = GetModuleDirectory() + "background-own.gif";
  WriteBytes(own, MakeGif(40, 8, {TestFrame{0, 0, 8, 8, kWhite}, TestFrame{8, 0, 8, 8, kRed}}));
  ASSERT_TRUE(m_picture.LoadFromFile(own));
  server->Release();
  EXPECT_TRUE(WaitForWorker());
  EXPECT_EQ(ReadBytes(m_path), m_served) << "the download still lands, for the next window";
  EXPECT_EQ(ControlSize().cx, 40);
  ::DeleteFileA(own.c_str());
}

TEST_F(BannerBackgroundTest, AWindowThatGoesFirstGetsNothingAndTheWorkerEnds) {
  WriteBytes(m_path, m_onDisk);
  const auto server = Serve(ServerBehaviour::Answer, "200 OK", m_served);
  StartWorker();
  m_picture.Start();
  ASSERT_TRUE(::DestroyWindow(m_window));
  m_window = nullptr;
  EXPECT_TRUE(WaitForWorker());
  EXPECT_FALSE(HasPicture());
  EXPECT_EQ(ReadBytes(m_path), m_served);
}

// The hand-over itself, on a window that counts the nudges it gets.
TEST(SceneMailbox, HandsOverTheNewestSceneAndNothingOnceClosed) {
  constexpr UINT kNudge = WM_APP + 5;
  HWND window = ::CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, ::GetModuleHandleA(nullptr),
                                nullptr);
  ASSERT_NE(window, nullptr);
  auto scene = [window] {
    return std::make_shared<AnimationScene>(window, MemorySurface(), 1, 1, PictureRef(), std::vector<GifFrame>{},
                                            KernelHandle());
  };
  auto nudges = [window, kNudge] {
    int count = 0;
    MSG msg;
    while (::PeekMessageA(&msg, window, kNudge, kNudge, PM_REMOVE)) ++count;
    return count;
  };
  SceneMailbox mailbox(window, kNudge);

  auto first = scene();
  auto second = scene();
  const std::weak_ptr<AnimationScene> firstSeen = first, secondSeen = second;
  EXPECT_TRUE(mailbox.Deliver(std::move(first)));
  EXPECT_TRUE(mailbox.Deliver(std::move(second)));
  EXPECT_TRUE(firstSeen.expired()) << "a scene not yet taken is replaced, not kept";
  EXPECT_EQ(nudges(), 2);
  EXPECT_EQ(mailbox.Take(), secondSeen.lock());
  EXPECT_EQ(mailbox.Take(), nullptr);

  auto left = scene();
  auto late = scene();
  const std::weak_ptr<AnimationScene> leftSeen = left, lateSeen = late;
  EXPECT_TRUE(mailbox.Deliver(std::move(left)));
  mailbox.Close();
  EXPECT_FALSE(mailbox.IsOpen());
  EXPECT_TRUE(leftSeen.expired()) << "Close drops what was left";
  EXPECT_FALSE(mailbox.Deliver(std::move(late)));
  EXPECT_TRUE(lateSeen.expired());
  EXPECT_EQ(nudges(), 1) << "no nudge after Close";
  EXPECT_EQ(mailbox.Take(), nullptr);
  ::DestroyWindow(window);
}

}  // namespace
