// The banner control on a hidden window: loads, the surface it draws, the
// drawing thread's life, and the disposal methods as read back from pixels.
#include "banner/animated_picture.h"

#include <windows.h>
#include <process.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "banner/banner_decode.h"
#include "banner/core/still_test_builder.h"
#include "banner/global_memory.h"
#include "tests/win/banner_test_images.h"
#include "tests/win/message_pump.h"

using namespace banner_test;

namespace {

// Distinct system colours, so the menu-colour fill and the button-face clear
// can be told apart from each other and from the test GIFs' colours.
constexpr COLORREF kMenuColor = RGB(0x10, 0x20, 0x30);
constexpr COLORREF kButtonFace = RGB(0xC0, 0x80, 0x40);

COLORREF Rgb(std::uint32_t rgb) { return RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF); }

std::string TempPath(const char* name) {
  char dir[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + name;
}

std::string WriteFile(const char* name, const Bytes& bytes) {
  const std::string path = TempPath(name);
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  if (!bytes.empty()) ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
  return path;
}

// Beside the test program: pictures made by ImageMagick at build time.
std::string BesideExe(const char* name) {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  dir.erase(dir.find_last_of('\\') + 1);
  return dir + name;
}

int ThreadsInProcess() {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  int count = 0;
  for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ++count;
  }
  ::CloseHandle(snapshot);
  return count;
}

// A decoded picture whose Render can be held up at a gate, to keep a
// drawing thread busy for longer than Stop waits. Counts the live proxies.
class GatedPicture : public IPicture {
 public:
  static HANDLE s_gate;     // manual reset; signalled: Render passes
  static HANDLE s_waiting;  // set when a Render waits at the closed gate
  static std::atomic<int> s_alive;

  explicit GatedPicture(PictureRef inner) : m_inner(std::move(inner)) { ++s_alive; }
  ~GatedPicture() { --s_alive; }

  static PictureRef Decode(HGLOBAL block, DWORD length, bool streamOwnsBlock) {
    PictureRef inner = DecodePicture(block, length, streamOwnsBlock);
    if (!inner) return inner;
    // From here on the object counts its own references, as COM objects do.
    return PictureRef(std::make_unique<GatedPicture>(std::move(inner)).release());
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IPicture) {
      *out = static_cast<IPicture*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --m_references;
    if (left == 0) std::unique_ptr<GatedPicture> last(this);
    return left;
  }
  HRESULT STDMETHODCALLTYPE Render(HDC dc, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC xSrc,
                                   OLE_YPOS_HIMETRIC ySrc, OLE_XSIZE_HIMETRIC cxSrc, OLE_YSIZE_HIMETRIC cySrc,
                                   LPCRECT bounds) override {
    if (::WaitForSingleObject(s_gate, 0) != WAIT_OBJECT_0) {
      ::SetEvent(s_waiting);
      ::WaitForSingleObject(s_gate, INFINITE);
    }
    return m_inner->Render(dc, x, y, cx, cy, xSrc, ySrc, cxSrc, cySrc, bounds);
  }
  HRESULT STDMETHODCALLTYPE get_Handle(OLE_HANDLE* v) override { return m_inner->get_Handle(v); }
  HRESULT STDMETHODCALLTYPE get_hPal(OLE_HANDLE* v) override { return m_inner->get_hPal(v); }
  HRESULT STDMETHODCALLTYPE get_Type(SHORT* v) override { return m_inner->get_Type(v); }
  HRESULT STDMETHODCALLTYPE get_Width(OLE_XSIZE_HIMETRIC* v) override { return m_inner->get_Width(v); }
  HRESULT STDMETHODCALLTYPE get_Height(OLE_YSIZE_HIMETRIC* v) override { return m_inner->get_Height(v); }
  HRESULT STDMETHODCALLTYPE set_hPal(OLE_HANDLE v) override { return m_inner->set_hPal(v); }
  HRESULT STDMETHODCALLTYPE get_CurDC(HDC* v) override { return m_inner->get_CurDC(v); }
  HRESULT STDMETHODCALLTYPE SelectPicture(HDC in, HDC* out, OLE_HANDLE* bitmap) override {
    return m_inner->SelectPicture(in, out, bitmap);
  }
  HRESULT STDMETHODCALLTYPE get_KeepOriginalFormat(BOOL* v) override { return m_inner->get_KeepOriginalFormat(v); }
  HRESULT STDMETHODCALLTYPE put_KeepOriginalFormat(BOOL v) override { return m_inner->put_KeepOriginalFormat(v); }
  HRESULT STDMETHODCALLTYPE PictureChanged() override { return m_inner->PictureChanged(); }
  HRESULT STDMETHODCALLTYPE SaveAsFile(IStream* stream, BOOL save, LONG* size) override {
    return m_inner->SaveAsFile(stream, save, size);
  }
  HRESULT STDMETHODCALLTYPE get_Attributes(DWORD* v) override { return m_inner->get_Attributes(v); }

 private:
  PictureRef m_inner;
  std::atomic<ULONG> m_references{1};
};
HANDLE GatedPicture::s_gate = ::CreateEventA(nullptr, TRUE, TRUE, nullptr);
HANDLE GatedPicture::s_waiting = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
std::atomic<int> GatedPicture::s_alive{0};

class AnimatedPictureTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const int elements[] = {COLOR_MENU, COLOR_BTNFACE};
    s_savedColors[0] = ::GetSysColor(COLOR_MENU);
    s_savedColors[1] = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF colors[] = {kMenuColor, kButtonFace};
    ::SetSysColors(2, elements, colors);
    // GoogleTest's trace stack starts a watcher thread on its first use;
    // let it do so before threads are counted.
    SCOPED_TRACE("warm-up");
  }
  static void TearDownTestSuite() {
    const int elements[] = {COLOR_MENU, COLOR_BTNFACE};
    ::SetSysColors(2, elements, s_savedColors);
  }

  void SetUp() override {
    // The first window of a process can fail while the prefix's desktop is
    // still coming up; give it time.
    for (int attempt = 0; attempt < 100 && m_window == nullptr; ++attempt) {
      m_window = ::CreateWindowA("STATIC", "", WS_POPUP | SS_NOTIFY | SS_BLACKRECT, kLeft, kTop, 10, 10, nullptr,
                                 nullptr, ::GetModuleHandleA(nullptr), nullptr);
      if (m_window == nullptr) ::Sleep(200);
    }
    ASSERT_NE(m_window, nullptr);
    ASSERT_TRUE(m_picture.SubclassWindow(m_window));
    m_surfaceDC = ::CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kReadWidth;
    info.bmiHeader.biHeight = -kReadHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    m_readBitmap = ::CreateDIBSection(m_surfaceDC, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_pixels),
                                      nullptr, 0);
    m_previousBitmap = ::SelectObject(m_surfaceDC, m_readBitmap);
    PumpMessages();
    m_baseThreads = ThreadsInProcess();
  }

  void TearDown() override {
    m_picture.Clear();
    ::DestroyWindow(m_window);
    ::SelectObject(m_surfaceDC, m_previousBitmap);
    ::DeleteObject(m_readBitmap);
    ::DeleteDC(m_surfaceDC);
  }

  BOOL Load(const char* name, const Bytes& bytes) { return m_picture.LoadFromFile(WriteFile(name, bytes)); }

  // The control's surface pixel as a COLORREF, read through the same copy
  // the paint handler makes.
  COLORREF Pixel(int x, int y) {
    if (!CopySurface(m_picture)) return CLR_INVALID;
    return ReadPixel(x, y);
  }
  // The copy, tried again while the drawing thread holds the surface.
  bool CopySurface(CAnimatedPicture& picture) {
    for (int attempt = 0; attempt < 200; ++attempt) {
      if (picture.CopySurfaceTo(m_surfaceDC)) return true;
      ::Sleep(5);
    }
    return false;
  }
  COLORREF ReadPixel(int x, int y) const {
    const std::uint32_t bgrx = m_pixels[y * kReadWidth + x];
    return RGB((bgrx >> 16) & 0xFF, (bgrx >> 8) & 0xFF, bgrx & 0xFF);
  }
  // Every pixel of the top left width x height of the surface, row by row.
  std::vector<COLORREF> SurfacePixels(int width, int height) {
    std::vector<COLORREF> pixels;
    if (!CopySurface(m_picture)) return pixels;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) pixels.push_back(ReadPixel(x, y));
    }
    return pixels;
  }

  SIZE ControlSize() const {
    RECT rect{};
    ::GetWindowRect(m_window, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
  }
  POINT ControlPosition() const {
    RECT rect{};
    ::GetWindowRect(m_window, &rect);
    return POINT{rect.left, rect.top};
  }

  static constexpr int kLeft = 50, kTop = 60;
  static constexpr int kReadWidth = 128, kReadHeight = 64;
  static COLORREF s_savedColors[2];

  HWND m_window = nullptr;
  CAnimatedPicture m_picture;
  int m_baseThreads = 0;
  HDC m_surfaceDC = nullptr;
  HBITMAP m_readBitmap = nullptr;
  HGDIOBJ m_previousBitmap = nullptr;
  std::uint32_t* m_pixels = nullptr;
};
COLORREF AnimatedPictureTest::s_savedColors[2];

// Three frames side by side on a 24 x 8 screen, each 8 x 8.
TestFrame At(int column, GifColor color, int delay, std::uint8_t disposal = 0) {
  TestFrame f;
  f.left = static_cast<std::uint16_t>(column * 8);
  f.color = color;
  f.delay = delay;
  f.disposal = disposal;
  return f;
}

// --- Loads --------------------------------------------------------------

TEST_F(AnimatedPictureTest, StillPicturesTakeTheirSizeAt96DpiAndKeepTheirPlace) {
  struct Case {
    const char* name;
    Bytes bytes;
    int width, height;
    COLORREF center;
  };
  const Case cases[] = {
      {"still.bmp", MakeBmp(96, 48, 0x2060A0), 96, 48, Rgb(0x2060A0)},
      // A GIF of one frame is decoded whole, at its logical screen size.
      {"single.gif", MakeGif(40, 30, {TestFrame{0, 0, 40, 30, kBlue, 10, 0}}), 40, 30, Rgb(kGifRgb[kBlue])},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(Load(c.name, c.bytes));
    EXPECT_FALSE(m_picture.IsAnimation());
    EXPECT_EQ(ControlSize().cx, c.width);
    EXPECT_EQ(ControlSize().cy, c.height);
    EXPECT_EQ(ControlPosition().x, kLeft);
    EXPECT_EQ(ControlPosition().y, kTop);
    EXPECT_EQ(Pixel(c.width / 2, c.height / 2), kMenuColor) << "loaded, not yet shown";
    EXPECT_TRUE(m_picture.Start());
    EXPECT_EQ(Pixel(c.width / 2, c.height / 2), c.center);
    EXPECT_EQ(ThreadsInProcess(), m_baseThreads);
  }
}

TEST_F(AnimatedPictureTest, InADialogGrownForTheDpiThePictureGrowsAtItsPlaceAndFramesKeepTheirSize) {
  struct Case {
    int dpi, width, height;
  } const cases[] = {{144, 144, 72}, {192, 192, 96}, {128, 128, 64}, {96, 96, 48}, {0, 96, 48}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi);
    m_picture.SetDisplayDpi(c.dpi);
    ASSERT_TRUE(Load("still.bmp", MakeBmp(96, 48, 0x2060A0)));
    EXPECT_EQ(ControlSize().cx, c.width);
    EXPECT_EQ(ControlSize().cy, c.height);
    EXPECT_EQ(ControlPosition().x, kLeft);
    EXPECT_EQ(ControlPosition().y, kTop);
    EXPECT_TRUE(m_picture.Start());
    EXPECT_EQ(Pixel(95, 47), Rgb(0x2060A0)) << "drawn at its own size";
  }
  m_picture.SetDisplayDpi(96);
}

TEST_F(AnimatedPictureTest, PngAndJpegFromImageMagickShowStill) {
  struct Case {
    const char* file;
    int tolerance;
  };
  const Case cases[] = {{"banner-still.png", 0}, {"banner-still.jpg", 12}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = BesideExe(c.file);
    if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no " << c.file;
    ASSERT_TRUE(m_picture.LoadFromFile(path));
    EXPECT_EQ(ControlSize().cx, 96);
    EXPECT_EQ(ControlSize().cy, 48);
    EXPECT_TRUE(m_picture.Start());
    const COLORREF center = Pixel(48, 24);  // made as #2060A0
    EXPECT_NEAR(GetRValue(center), 0x20, c.tolerance);
    EXPECT_NEAR(GetGValue(center), 0x60, c.tolerance);
    EXPECT_NEAR(GetBValue(center), 0xA0, c.tolerance);
  }
}

TEST_F(AnimatedPictureTest, LoadsThatFailLeaveNothingToShow) {
  TestFrame text;
  text.plainText = true;
  struct Case {
    const char* name;
    Bytes bytes;
  };
  const Case cases[] = {
      {"empty.gif", {}},
      {"garbage.gif", Bytes{'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}},
      {"noframes.gif", Bytes(MakeGif(8, 8, {}))},
      {"textonly.gif", MakeGif(8, 8, {text, text})},  // no frame decodes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(Load(c.name, c.bytes));
    EXPECT_FALSE(m_picture.Start());
    EXPECT_FALSE(m_picture.CopySurfaceTo(m_surfaceDC));
  }
  EXPECT_FALSE(m_picture.LoadFromFile(TempPath("no-such-banner.gif")));
  EXPECT_FALSE(m_picture.Start());
}

TEST_F(AnimatedPictureTest, MalformedGifsLoadOrFailButNeverCrash) {
  struct Case {
    const char* name;
    Bytes bytes;
    BOOL loads;
  };
  TestFrame outside = At(0, kRed, 1, 3);
  outside.left = outside.top = 65000;
  TestFrame empty = At(1, kGreen, 1, 3);
  empty.width = empty.height = 0;
  Bytes cut = MakeGif(24, 8, {At(0, kRed, 1), At(1, kGreen, 1), At(2, kBlue, 1)});
  cut.resize(cut.size() - 6);  // the last image cut short
  const Case cases[] = {
      {"screen too big for a surface", MakeGif(65535, 65535, {At(0, kRed, 1), At(1, kGreen, 1)}), FALSE},
      // Nothing to show, and a decoder that reads no pixel data for an
      // empty image reads on inside what the walker skips: refused.
      {"empty screen", MakeGif(0, 0, {At(0, kRed, 1), At(1, kGreen, 1)}), FALSE},
      {"a frame far outside the screen", MakeGif(24, 8, {At(0, kRed, 1), outside}), FALSE},
      {"an empty frame", MakeGif(24, 8, {At(0, kRed, 1), empty}), FALSE},
      // Not whole: a cut banner is refused, never shown in part.
      {"last image cut short", cut, FALSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Load("malformed.gif", c.bytes), c.loads);
    m_picture.Start();
    WaitUntil([] { return false; }, 300);  // a few passes of 100 ms frames
    m_picture.Stop();
  }
  EXPECT_TRUE(WaitUntil([&] { return ThreadsInProcess() == m_baseThreads; }, 3000));
}

// Counts the decoder's calls, to show what is refused before decoding.
std::atomic<int> g_decodes{0};
PictureRef CountingDecode(HGLOBAL block, DWORD length, bool streamOwnsBlock) {
  ++g_decodes;
  return DecodePicture(block, length, streamOwnsBlock);
}

Bytes PngHeader(std::uint32_t width, std::uint32_t height) {
  Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (std::uint32_t v : {width, height}) {
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<std::uint8_t>(v >> shift));
  }
  png.insert(png.end(), {8, 2, 0, 0, 0, 0, 0, 0, 0});
  return png;
}

Bytes JpegHeader(std::uint16_t width, std::uint16_t height) {
  Bytes jpeg{0xFF, 0xD8, 0xFF, 0xC0, 0, 11, 8,
             static_cast<std::uint8_t>(height >> 8), static_cast<std::uint8_t>(height),
             static_cast<std::uint8_t>(width >> 8), static_cast<std::uint8_t>(width), 1, 1, 0x11, 0, 0xFF, 0xD9};
  return jpeg;
}

// A bitmap's headers only: a pixel array this large is not needed to refuse it.
Bytes BmpHeader(std::uint32_t width, std::uint32_t height) {
  Bytes bmp = MakeBmp(1, 1, 0);
  bmp.resize(54);
  for (int i = 0; i < 4; ++i) {
    bmp[18 + i] = static_cast<std::uint8_t>(width >> (8 * i));
    bmp[22 + i] = static_cast<std::uint8_t>(height >> (8 * i));
  }
  return bmp;
}

TEST_F(AnimatedPictureTest, FilesOverTheBudgetAreRefusedWholeBeforeAnythingIsDecoded) {
  TestFrame small = At(0, kRed, 10);
  small.bare = true;
  TestFrame distant = small;
  distant.left = distant.top = 65000;
  TestFrame big = small;
  big.width = big.height = 4096;
  struct Case {
    const char* what;
    Bytes bytes;
  };
  const Case cases[] = {
      {"logical screen of 65535 x 65535, one small frame", MakeGif(65535, 65535, {small})},
      {"frames at 65000,65000", MakeGif(24, 8, {distant, distant})},
      {"frames of 4096 x 4096", MakeGif(4096, 4096, {big, big, big})},
      {"more frames than are tried", MakeGif(24, 8, std::vector<TestFrame>(kBannerFrameCap + 1, small))},
      {"PNG of 20000 x 20000", PngHeader(20000, 20000)},
      {"JPEG of 20000 x 20000", JpegHeader(20000, 20000)},
      {"bitmap of 20000 x 20000", BmpHeader(20000, 20000)},
  };
  CAnimatedPicture counted(&CountingDecode);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_decodes = 0;
    EXPECT_FALSE(counted.LoadFromFile(WriteFile("over.bin", c.bytes)));
    EXPECT_EQ(g_decodes.load(), 0);
    EXPECT_FALSE(counted.Start());
  }
  // The same decoder is called for a banner within the budget.
  ASSERT_TRUE(counted.LoadFromFile(WriteFile("within.gif", MakeGif(24, 8, {At(0, kRed, 10), At(1, kGreen, 10)}))));
  EXPECT_EQ(g_decodes.load(), 2);
}

// A decoder that reads the file otherwise than its headers say: it hands
// back the picture in g_decodedInstead, whatever it was given.
Bytes g_decodedInstead;
PictureRef DecodeOtherwise(HGLOBAL block, DWORD length, bool streamOwnsBlock) {
  if (streamOwnsBlock) ::GlobalFree(block);
  HGLOBAL other = ::GlobalAlloc(GMEM_MOVEABLE, g_decodedInstead.size());
  std::memcpy(::GlobalLock(other), g_decodedInstead.data(), g_decodedInstead.size());
  ::GlobalUnlock(other);
  return DecodePicture(other, static_cast<DWORD>(g_decodedInstead.size()), true);
}

TEST_F(AnimatedPictureTest, APictureDecodedLargerThanPlannedEndsTheLoad) {
  CAnimatedPicture otherwise(&DecodeOtherwise);
  const Bytes animation = MakeGif(24, 8, {At(0, kRed, 10), At(1, kGreen, 10)});
  const Bytes still = MakeBmp(24, 8, 0x2060A0);
  g_decodedInstead = MakeBmp(64, 64, 0x2060A0);
  EXPECT_FALSE(otherwise.LoadFromFile(WriteFile("larger.gif", animation))) << "frames planned at 24 x 8";
  EXPECT_FALSE(otherwise.LoadFromFile(WriteFile("larger.bmp", still))) << "a still planned at 24 x 8";

  // Decoded at the planned size, the same files load.
  g_decodedInstead = MakeBmp(24, 8, 0x2060A0);
  EXPECT_TRUE(otherwise.LoadFromFile(WriteFile("larger.gif", animation)));
  EXPECT_TRUE(otherwise.LoadFromFile(WriteFile("larger.bmp", still)));
}

TEST_F(AnimatedPictureTest, IconsAndCursorsWithinTheBudgetAreShown) {
  for (const std::uint16_t type : {1, 2}) {
    SCOPED_TRACE(type == 1 ? "icon" : "cursor");
    const Bytes icon = still_test::Icon({32}, type);
    EXPECT_TRUE(IsShowableBanner(icon)) << "the fetch takes it";
    ASSERT_TRUE(Load("banner.ico", icon));
    EXPECT_EQ(ControlSize().cx, 32);
    EXPECT_EQ(ControlSize().cy, 32);
    EXPECT_TRUE(m_picture.Start());
  }
  // An image larger than its directory entry is refused.
  EXPECT_FALSE(Load("lying.ico", still_test::Icon({16, 32}, 1, {16, 4000})));
}

TEST_F(AnimatedPictureTest, DecodedPicturesAndSoGdiObjectsAreBoundedPerControl) {
  // The platform here keeps no count of a process's GDI objects; each
  // decoded picture holds at most a bitmap and a mask, so the control's
  // objects are bounded through its live pictures.
  ::SetEvent(GatedPicture::s_gate);
  CAnimatedPicture counted(&GatedPicture::Decode);
  TestFrame frame = At(0, kRed, 10);
  ASSERT_TRUE(counted.LoadFromFile(WriteFile("cap.gif", MakeGif(24, 8, std::vector<TestFrame>(kBannerFrameCap, frame)))));
  EXPECT_EQ(GatedPicture::s_alive.load(), static_cast<int>(kBannerFrameCap));
  EXPECT_LE(2u * GatedPicture::s_alive.load() + 4u, kBannerGdiObjectCap);

  EXPECT_FALSE(counted.LoadFromFile(WriteFile("over.gif", MakeGif(24, 8, std::vector<TestFrame>(kBannerFrameCap + 1, frame)))));
  EXPECT_EQ(GatedPicture::s_alive.load(), 0) << "a refused load holds nothing";
}

TEST_F(AnimatedPictureTest, AFrameSmallerThanTheScreenLandsOnTheSamePixelsAloneOrAnimated) {
  // Decoded by the platform's decoder, whichever size it gives the frame.
  const TestFrame small{10, 5, 8, 6, kRed, 1000, 0};
  ASSERT_TRUE(Load("alone.gif", MakeGif(40, 20, {small})));
  EXPECT_EQ(ControlSize().cx, 40);
  EXPECT_EQ(ControlSize().cy, 20);
  ASSERT_TRUE(m_picture.Start());
  const std::vector<COLORREF> alone = SurfacePixels(40, 20);
  ASSERT_EQ(alone.size(), 800u);
  const COLORREF red = Rgb(kGifRgb[kRed]);
  auto at = [&alone](int x, int y) { return alone[y * 40 + x]; };
  EXPECT_EQ(at(10, 5), red);
  EXPECT_EQ(at(17, 10), red);
  EXPECT_EQ(at(9, 5), kMenuColor);
  EXPECT_EQ(at(10, 4), kMenuColor);
  EXPECT_EQ(at(18, 10), kMenuColor);
  EXPECT_EQ(at(17, 11), kMenuColor);

  ASSERT_TRUE(Load("animated.gif", MakeGif(40, 20, {small, TestFrame{30, 0, 8, 8, kGreen, 1000, 0}})));
  ASSERT_TRUE(m_picture.IsAnimation());
  m_picture.Start();
  ASSERT_TRUE(WaitUntil([&] { return Pixel(13, 8) == red; }, 5000));
  EXPECT_EQ(SurfacePixels(40, 20), alone);
}

TEST_F(AnimatedPictureTest, APictureLargerThanItsPlaceLeavesItsSiblingsUncovered) {
  HWND parent = ::CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, kLeft, kTop, 200, 100, nullptr,
                                nullptr, ::GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  HWND button = ::CreateWindowA("BUTTON", "OK", WS_CHILD | WS_VISIBLE, 60, 10, 50, 20, parent, nullptr,
                                ::GetModuleHandleA(nullptr), nullptr);
  HWND place = ::CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 0, 0, 40, 10, parent, nullptr,
                               ::GetModuleHandleA(nullptr), nullptr);
  // Last in the Z order, as the banner is in both dialogs.
  ::SetWindowPos(place, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  {
    CAnimatedPicture banner;
    ASSERT_TRUE(banner.SubclassWindow(place));
    ASSERT_TRUE(banner.LoadFromFile(WriteFile("large.bmp", MakeBmp(150, 60, 0x2060A0))));
    ASSERT_TRUE(banner.Start());
    PumpMessages();
    HDC dc = ::GetDC(place);
    EXPECT_FALSE(::PtVisible(dc, 70, 20)) << "under the button";
    EXPECT_TRUE(::PtVisible(dc, 20, 40));
    ::ReleaseDC(place, dc);
    banner.Clear();
  }
  ::DestroyWindow(parent);
  (void)button;
}

unsigned __stdcall RunSceneAnimation(void* scene) {
  static_cast<AnimationScene*>(scene)->RunAnimation();
  return 0;
}

TEST_F(AnimatedPictureTest, FramesWithoutAWakeEventShowTheFirstFrameStillAndNeverSpin) {
  const Bytes gif = MakeGif(24, 8, {At(0, kRed, 10), At(1, kGreen, 10)});
  const GlobalBlock block(::GlobalAlloc(GMEM_MOVEABLE, gif.size()));
  {
    GlobalLockGuard data(block.get());
    std::copy(gif.begin(), gif.end(), data.data());
  }
  DecodedBanner banner = DecodeBanner(block.get(), static_cast<DWORD>(gif.size()), &DecodePicture,
                                      WindowPixelsPerInch(nullptr));
  ASSERT_EQ(banner.frames.size(), 2u);
  HDC screen = ::GetDC(nullptr);
  MemorySurface surface = MemorySurface::Create(screen, 24, 8);
  ::ReleaseDC(nullptr, screen);
  auto scene = std::make_unique<AnimationScene>(m_window, std::move(surface), 24, 8, PictureRef(),
                                                std::move(banner.frames), KernelHandle());
  EXPECT_FALSE(scene->IsAnimation());
  EXPECT_TRUE(scene->ShowStill());
  ASSERT_TRUE(scene->CopyTo(m_surfaceDC));
  EXPECT_EQ(ReadPixel(4, 4), Rgb(kGifRgb[kRed]));
  EXPECT_NE(ReadPixel(12, 4), Rgb(kGifRgb[kGreen]));

  const KernelHandle thread(
      reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &RunSceneAnimation, scene.get(), 0, nullptr)));
  ASSERT_TRUE(thread);
  const bool ended = ::WaitForSingleObject(thread.get(), 3000) == WAIT_OBJECT_0;
  EXPECT_TRUE(ended) << "the drawing loop ran without a sleep";
  if (!ended) {
    scene->RequestStop();
    ::WaitForSingleObject(thread.get(), INFINITE);
  }
}

TEST_F(AnimatedPictureTest, MultiFrameGifWithOneDecodableFrameShowsThatFrameStill) {
  TestFrame text;
  text.plainText = true;
  ASSERT_TRUE(Load("onedecodes.gif", MakeGif(24, 8, {At(1, kGreen, 10), text})));
  EXPECT_FALSE(m_picture.IsAnimation());
  EXPECT_TRUE(m_picture.Start());
  EXPECT_EQ(Pixel(12, 4), Rgb(kGifRgb[kGreen])) << "the frame, at its own place";
  EXPECT_EQ(Pixel(4, 4), kMenuColor);
  EXPECT_EQ(ThreadsInProcess(), m_baseThreads);
}

TEST_F(AnimatedPictureTest, SampleBannerAnimatesAtItsSize) {
  const std::string path = BesideExe("sorel-ads.gif");
  ASSERT_TRUE(m_picture.LoadFromFile(path));
  EXPECT_TRUE(m_picture.IsAnimation());
  EXPECT_EQ(ControlSize().cx, 237);
  EXPECT_EQ(ControlSize().cy, 31);
  m_picture.Start();
  // The clock face at the left, drawn by the first frame.
  EXPECT_TRUE(WaitUntil([&] { return Pixel(10, 15) == RGB(0x8F, 0xB8, 0xE0); }, 3000));
}

// --- Drawing thread -------------------------------------------------------

TEST_F(AnimatedPictureTest, StartTwiceKeepsOneThreadAndStopEndsIt) {
  ASSERT_TRUE(Load("twice.gif", MakeGif(24, 8, {At(0, kRed, 10), At(1, kGreen, 10)})));
  EXPECT_TRUE(m_picture.IsAnimation());
  EXPECT_FALSE(m_picture.Start()) << "an animation answers false";
  EXPECT_EQ(ThreadsInProcess(), m_baseThreads + 1);
  EXPECT_FALSE(m_picture.Start());
  EXPECT_EQ(ThreadsInProcess(), m_baseThreads + 1);
  m_picture.Stop();
  EXPECT_TRUE(WaitUntil([&] { return ThreadsInProcess() == m_baseThreads; }, 3000));
  m_picture.Stop();  // harmless without a thread
}

TEST_F(AnimatedPictureTest, StopWhileWaitingReturnsAtOnceAndStartRedrawsTheSameFrame) {
  // The middle frame waits 10 s and owes a disposal to the background.
  ASSERT_TRUE(Load("stopstart.gif", MakeGif(24, 8, {At(0, kRed, 5), At(1, kGreen, 1000, 2), At(2, kBlue, 5)})));
  m_picture.Start();
  ASSERT_TRUE(WaitUntil([&] { return Pixel(12, 4) == Rgb(kGifRgb[kGreen]); }, 5000));

  const DWORD before = ::GetTickCount();
  m_picture.Stop();
  EXPECT_LT(::GetTickCount() - before, 1000u);
  EXPECT_TRUE(WaitUntil([&] { return ThreadsInProcess() == m_baseThreads; }, 3000));

  m_picture.Start();
  // Disposed to the background, then drawn again; the next frame stays due.
  EXPECT_TRUE(WaitUntil([&] { return Pixel(12, 4) == Rgb(kGifRgb[kGreen]); }, 2000));
  ::Sleep(500);
  EXPECT_EQ(Pixel(12, 4), Rgb(kGifRgb[kGreen]));
  EXPECT_EQ(Pixel(20, 4), kMenuColor) << "the frame after it was not drawn yet";
}

TEST_F(AnimatedPictureTest, LoadWhileAnimatingStopsTheOldThreadFirst) {
  ASSERT_TRUE(Load("first.gif", MakeGif(24, 8, {At(0, kRed, 1000), At(1, kGreen, 1000)})));
  m_picture.Start();
  ASSERT_EQ(ThreadsInProcess(), m_baseThreads + 1);
  ASSERT_TRUE(Load("second.gif", MakeGif(40, 30, {TestFrame{0, 0, 40, 30, kBlue, 10, 0}})));
  EXPECT_TRUE(WaitUntil([&] { return ThreadsInProcess() == m_baseThreads; }, 3000));
  EXPECT_TRUE(m_picture.Start());
  EXPECT_EQ(Pixel(20, 15), Rgb(kGifRgb[kBlue]));
}

TEST_F(AnimatedPictureTest, DestroyingTheWindowStopsTheThread) {
  ASSERT_TRUE(Load("destroy.gif", MakeGif(24, 8, {At(0, kRed, 1000), At(1, kGreen, 1000)})));
  m_picture.Start();
  ASSERT_EQ(ThreadsInProcess(), m_baseThreads + 1);
  ::DestroyWindow(m_window);
  EXPECT_TRUE(WaitUntil([&] { return ThreadsInProcess() == m_baseThreads; }, 3000));
}

// --- What the surface shows ----------------------------------------------

TEST_F(AnimatedPictureTest, DisposalOfAFrameShowsOnceTheNextFrameIsDrawn) {
  // Blue background over the whole screen, then a red frame with the
  // disposal under test, then a green frame that holds still.
  struct Case {
    std::uint8_t disposal;
    COLORREF left;  // where the red frame was
  };
  const Case cases[] = {
      {1, Rgb(kGifRgb[kRed])},   // left in place
      {2, kButtonFace},          // cleared to the background
      {3, Rgb(kGifRgb[kBlue])},  // what was under it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.disposal);
    TestFrame background{0, 0, 24, 8, kBlue, 5, 1};
    ASSERT_TRUE(Load("disposal.gif", MakeGif(24, 8, {background, At(0, kRed, 20, c.disposal), At(2, kGreen, 1000)})));
    m_picture.Start();
    ASSERT_TRUE(WaitUntil([&] { return Pixel(20, 4) == Rgb(kGifRgb[kGreen]); }, 5000));
    EXPECT_EQ(Pixel(4, 4), c.left);
    EXPECT_EQ(Pixel(12, 4), Rgb(kGifRgb[kBlue]));
    m_picture.Stop();
  }
}

TEST_F(AnimatedPictureTest, FirstPassStartsOnTheMenuColourLaterPassesOnTheButtonFace) {
  // A long first frame and a short second one; the middle column is never drawn.
  ASSERT_TRUE(Load("passes.gif", MakeGif(24, 8, {At(0, kRed, 100), At(2, kGreen, 10)})));
  m_picture.Start();
  ASSERT_TRUE(WaitUntil([&] { return Pixel(4, 4) == Rgb(kGifRgb[kRed]); }, 5000));
  EXPECT_EQ(Pixel(12, 4), kMenuColor);
  EXPECT_EQ(Pixel(20, 4), kMenuColor);
  // Second pass: the clear wiped the green frame before the red one came back.
  EXPECT_TRUE(WaitUntil(
      [&] {
        return Pixel(12, 4) == kButtonFace && Pixel(20, 4) == kButtonFace && Pixel(4, 4) == Rgb(kGifRgb[kRed]);
      },
      5000));
}

TEST_F(AnimatedPictureTest, PaintCopiesTheSurface) {
  ASSERT_TRUE(Load("paint.gif", MakeGif(40, 30, {TestFrame{0, 0, 40, 30, kGreen, 10, 0}})));
  ASSERT_TRUE(m_picture.Start());
  ::ShowWindow(m_window, SW_SHOWNOACTIVATE);
  ::UpdateWindow(m_window);
  HDC screen = ::GetDC(nullptr);
  const COLORREF shown = ::GetPixel(screen, kLeft + 20, kTop + 15);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(shown, Rgb(kGifRgb[kGreen]));
}

// --- A drawing thread that does not end in time ----------------------------

class StuckThreadTest : public AnimatedPictureTest {
 protected:
  // Animates with gated pictures and closes the gate on the drawing thread.
  void StartAndHoldTheThread() {
    const Bytes gif = MakeGif(24, 8, {At(0, kRed, 10), At(1, kGreen, 10)});
    ASSERT_TRUE(m_gated.LoadFromFile(WriteFile("stuck.gif", gif)));
    m_gated.Start();
    ASSERT_EQ(ThreadsInProcess(), m_baseThreads + 1);
    ::ResetEvent(GatedPicture::s_waiting);
    ::ResetEvent(GatedPicture::s_gate);
    ASSERT_EQ(::WaitForSingleObject(GatedPicture::s_waiting, 5000), WAIT_OBJECT_0);
  }
  void TearDown() override {
    ::SetEvent(GatedPicture::s_gate);
    m_gated.Clear();
    AnimatedPictureTest::TearDown();
  }

  CAnimatedPicture m_gated{&GatedPicture::Decode};
};

TEST_F(StuckThreadTest, StopGivesUpAfterFiveSecondsAndNoSecondThreadJoinsIt) {
  StartAndHoldTheThread();
  const DWORD before = ::GetTickCount();
  m_gated.Stop();
  const DWORD waited = ::GetTickCount() - before;
  EXPECT_GE(waited, 4900u);
  EXPECT_LT(waited, 7000u);

  EXPECT_FALSE(m_gated.Start());
  EXPECT_EQ(ThreadsInProcess(), m_baseThreads + 1) << "the stuck thread alone";

  // Once it has ended, Start draws again with a new thread.
  ::SetEvent(GatedPicture::s_gate);
  ASSERT_TRUE(WaitUntil([&] { return ThreadsInProcess() == m_baseThreads; }, 3000));
  m_gated.Start();
  EXPECT_EQ(ThreadsInProcess(), m_baseThreads + 1);
}

TEST_F(StuckThreadTest, OneTimedOutStopIsEnoughForLaterStopsLoadsAndClears) {
  StartAndHoldTheThread();
  m_gated.Stop();  // waits its five seconds once
  const DWORD before = ::GetTickCount();
  m_gated.Stop();
  EXPECT_FALSE(m_gated.Start());
  m_gated.Stop();
  EXPECT_TRUE(m_gated.LoadFromFile(WriteFile("after-stuck.gif", MakeGif(24, 8, {At(0, kRed, 10), At(1, kGreen, 10)}))));
  // Each of these would have waited five seconds more; the bound tells
  // "not again" from that on a slow machine, it is not a speed target.
  EXPECT_LT(::GetTickCount() - before, 4000u);
  EXPECT_EQ(::WaitForSingleObject(GatedPicture::s_gate, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "thread still held";

  // A thread that ends is waited for in full again.
  ::SetEvent(GatedPicture::s_gate);
  ASSERT_TRUE(WaitUntil([&] { return ThreadsInProcess() == m_baseThreads; }, 3000));
  m_gated.Start();
  EXPECT_EQ(ThreadsInProcess(), m_baseThreads + 1);
  m_gated.Stop();
  EXPECT_EQ(ThreadsInProcess(), m_baseThreads);
}

TEST_F(StuckThreadTest, PaintDoesNotWaitBehindAStuckRender) {
  HWND window = ::CreateWindowA("STATIC", "", WS_POPUP | SS_NOTIFY, kLeft, kTop + 100, 10, 10, nullptr, nullptr,
                                ::GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(m_gated.SubclassWindow(window));
  StartAndHoldTheThread();
  ::ShowWindow(window, SW_SHOWNOACTIVATE);
  ::InvalidateRect(window, nullptr, FALSE);
  const DWORD before = ::GetTickCount();
  ::UpdateWindow(window);  // WM_PAINT, handled here and now
  const DWORD painted = ::GetTickCount() - before;
  // A paint behind the render would wait for the gate, which only this
  // thread opens, or for a timeout like Stop's five seconds: the bound tells
  // that from a paint slowed by a busy machine.
  EXPECT_LT(painted, 1000u);
  EXPECT_EQ(::WaitForSingleObject(GatedPicture::s_gate, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "render still held";

  // Once the render ends, the paint that found the surface busy is made good.
  ::SetEvent(GatedPicture::s_gate);
  EXPECT_TRUE(WaitUntil(
      [&] {
        HDC screen = ::GetDC(nullptr);
        const COLORREF shown = ::GetPixel(screen, kLeft + 4, kTop + 104);
        ::ReleaseDC(nullptr, screen);
        return shown == Rgb(kGifRgb[kRed]);
      },
      5000));
  m_gated.Clear();
  ::DestroyWindow(window);
}

TEST_F(StuckThreadTest, ClearLeavesTheFramesToTheStuckThreadUntilItEnds) {
  StartAndHoldTheThread();
  m_gated.Clear();
  EXPECT_EQ(GatedPicture::s_alive.load(), 2) << "both frames still held by the thread";
  EXPECT_FALSE(m_gated.CopySurfaceTo(m_surfaceDC));

  ::SetEvent(GatedPicture::s_gate);
  EXPECT_TRUE(WaitUntil([&] { return ThreadsInProcess() == m_baseThreads; }, 3000));
  EXPECT_TRUE(WaitUntil([&] { return GatedPicture::s_alive.load() == 0; }, 3000));
}

}  // namespace
