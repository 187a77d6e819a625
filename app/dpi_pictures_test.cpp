// The pictures handed to the windows and to the shell are the images drawn
// for their size, not a smaller image stretched.
#include "app/dpi_pictures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "app/about_dlg.h"
#include "app/core/dpi_scale.h"
#include "app/modal_test_support.h"
#include "res/resource.h"

namespace {

const UINT kIcons[] = {IDR_MAINFRAME, IDI_POWEROFF, IDI_LOGOFF, IDI_RESTART};
// The small sizes of 100 to 200 % and the large ones of the icons in windows.
const int kIconSizes[] = {16, 20, 24, 32, 40, 48, 64};

HINSTANCE Module() { return ::GetModuleHandleA(nullptr); }

// Width and height of a bitmap; 0 x 0 when it is no bitmap.
SIZE SizeOf(HBITMAP bitmap) {
  BITMAP info = {};
  if (::GetObjectA(bitmap, sizeof info, &info) == 0) return {0, 0};
  return {info.bmWidth, info.bmHeight};
}

// The pixels of a bitmap, 32 bits each, top row first.
std::vector<DWORD> PixelsOf(HBITMAP bitmap) {
  const SIZE size = SizeOf(bitmap);
  std::vector<DWORD> pixels(static_cast<size_t>(size.cx) * size.cy);
  BITMAPINFO bmi = {};
  bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
  bmi.bmiHeader.biWidth = size.cx;
  bmi.bmiHeader.biHeight = -size.cy;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  HDC screen = ::GetDC(nullptr);
  const int rows = ::GetDIBits(screen, bitmap, 0, size.cy, pixels.data(), &bmi, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(rows, size.cy);
  for (DWORD& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

// An icon drawn over white at its own size, as the pixels of a bitmap.
std::vector<DWORD> Rendered(HICON icon, int size) {
  HDC screen = ::GetDC(nullptr);
  BitmapHandle canvas(::CreateCompatibleBitmap(screen, size, size));
  HDC dc = ::CreateCompatibleDC(screen);
  HGDIOBJ before = ::SelectObject(dc, canvas.get());
  RECT all = {0, 0, size, size};
  ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  ::DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  ::SelectObject(dc, before);
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);
  return PixelsOf(canvas.get());
}

int IconWidth(HICON icon) {
  ICONINFO info = {};
  if (!::GetIconInfo(icon, &info)) return 0;
  BitmapHandle color(info.hbmColor), mask(info.hbmMask);
  return SizeOf(info.hbmColor ? info.hbmColor : info.hbmMask).cx;
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colors, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

// The image of icon `id` stored for `stored` pixels, shown at `size`: the
// image itself when the two are equal, else that image stretched. Null when
// the icon has no image of that size.
HICON StoredImage(UINT id, int stored, int size) {
  HRSRC group = ::FindResourceA(Module(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  if (!group) return nullptr;
  const BYTE* dir = static_cast<const BYTE*>(::LockResource(::LoadResource(Module(), group)));
  const WORD count = *reinterpret_cast<const WORD*>(dir + 4);
  const auto* entries = reinterpret_cast<const GroupIconEntry*>(dir + 6);
  for (WORD i = 0; i < count; ++i) {
    if (entries[i].width != stored) continue;
    HRSRC image = ::FindResourceA(Module(), MAKEINTRESOURCEA(entries[i].id), MAKEINTRESOURCEA(3));  // RT_ICON
    if (!image) return nullptr;
    auto* bits = static_cast<BYTE*>(::LockResource(::LoadResource(Module(), image)));
    return ::CreateIconFromResourceEx(bits, ::SizeofResource(Module(), image), TRUE, 0x00030000, size, size,
                                      LR_DEFAULTCOLOR);
  }
  return nullptr;
}

TEST(DpiPictures, EveryIconHasAnImageDrawnForEachSizeAndThatImageIsLoaded) {
  for (UINT id : kIcons) {
    for (int size : kIconSizes) {
      IconHandle loaded(LoadIconAtSize(Module(), id, size));
      ASSERT_TRUE(loaded) << "icon " << id << " at " << size;
      EXPECT_EQ(IconWidth(loaded.get()), size) << "icon " << id;
      IconHandle drawnForSize(StoredImage(id, size, size));
      ASSERT_TRUE(drawnForSize) << "icon " << id << " has no image of " << size << " pixels";
      EXPECT_EQ(Rendered(loaded.get(), size), Rendered(drawnForSize.get(), size)) << "icon " << id << " at " << size;
      if (size == 16) continue;
      // The comparison tells the two apart: the 16-pixel image stretched differs.
      IconHandle stretched(StoredImage(id, 16, size));
      ASSERT_TRUE(stretched);
      EXPECT_NE(Rendered(stretched.get(), size), Rendered(drawnForSize.get(), size)) << "icon " << id;
    }
  }
}

TEST(DpiPictures, TheCaptionAndTheTrayGetTheSystemsSmallIconSize) {
  const int small = ::GetSystemMetrics(SM_CXSMICON);
  IconHandle icon(LoadSmallIcon(Module(), IDR_MAINFRAME));
  ASSERT_TRUE(icon);
  EXPECT_EQ(IconWidth(icon.get()), small);
  IconHandle drawnForSize(StoredImage(IDR_MAINFRAME, small, small));
  ASSERT_TRUE(drawnForSize) << "no image of " << small << " pixels";
  EXPECT_EQ(Rendered(icon.get(), small), Rendered(drawnForSize.get(), small));
}

TEST(DpiPictures, SharedIconsAreLoadedOncePerSizeSoEveryWindowShowsTheSameOne) {
  HICON at48 = SharedIconAtSize(Module(), IDI_RESTART, 48);
  ASSERT_TRUE(at48);
  EXPECT_EQ(SharedIconAtSize(Module(), IDI_RESTART, 48), at48);
  HICON at64 = SharedIconAtSize(Module(), IDI_RESTART, 64);
  EXPECT_NE(at64, at48);
  EXPECT_EQ(IconWidth(at64), 64);
  EXPECT_NE(SharedIconAtSize(Module(), IDI_LOGOFF, 48), at48);
  EXPECT_EQ(SharedIconAtSize(Module(), 4321, 48), nullptr);
}

TEST(DpiPictures, TheAboutBoxIconTakesTheSizeOfItsPlace) {
  CAboutDlg about;
  RunModalWatched(about, "VaroShutdown Information", [&](HWND hwnd) {
    EXPECT_EQ(DialogDpiOf(hwnd), ScreenDpi());  // 9-point fonts grow as the DPI at 96, 144 and 192
    const int size = LargeIconSizeFor(hwnd);
    EXPECT_EQ(size, ScaleToDpi(32, ScreenDpi()));
    HWND control = ::GetDlgItem(hwnd, IDC_ABOUT_ICON);
    HICON shown = reinterpret_cast<HICON>(::SendMessageA(control, STM_GETICON, 0, 0));
    EXPECT_EQ(IconWidth(shown), size);
    RECT place = {};
    ::GetClientRect(control, &place);
    EXPECT_EQ(place.right, size);
    ::PostMessageA(::GetDlgItem(hwnd, IDOK), BM_CLICK, 0, 0);
  });
}

const BitmapForDpi kSide[] = {{IDB_SIDEPICTURE, 96}, {IDB_SIDEPICTURE_144, 144}, {IDB_SIDEPICTURE_192, 192}};

// The mean of each colour channel over all pixels.
void MeanColour(const std::vector<DWORD>& pixels, double mean[3]) {
  double sum[3] = {};
  for (DWORD p : pixels) {
    for (int c = 0; c < 3; ++c) sum[c] += (p >> (8 * c)) & 0xFF;
  }
  for (int c = 0; c < 3; ++c) mean[c] = sum[c] / pixels.size();
}

TEST(DpiPictures, TheSidePictureIsTheImageForItsDpiOrAFilteredCopyOfTheNextLarger) {
  struct Case {
    int dpi;
    UINT drawnFor;  // the image expected unchanged; 0: a scaled copy of `from`
    UINT from;
  } const cases[] = {
      {96, IDB_SIDEPICTURE, 0},      {144, IDB_SIDEPICTURE_144, 0}, {192, IDB_SIDEPICTURE_192, 0},
      {120, 0, IDB_SIDEPICTURE_144}, {168, 0, IDB_SIDEPICTURE_192}, {240, 0, IDB_SIDEPICTURE_192},
  };
  for (const Case& c : cases) {
    BitmapHandle picture(LoadBitmapForDpi(Module(), kSide, 3, 100, 200, c.dpi));
    ASSERT_TRUE(picture) << c.dpi;
    const SIZE size = SizeOf(picture.get());
    EXPECT_EQ(size.cx, ScaleToDpi(100, c.dpi)) << c.dpi;
    EXPECT_EQ(size.cy, ScaleToDpi(200, c.dpi)) << c.dpi;
    const UINT sourceId = c.drawnFor ? c.drawnFor : c.from;
    BitmapHandle source(static_cast<HBITMAP>(
        ::LoadImageA(Module(), MAKEINTRESOURCEA(sourceId), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    if (c.drawnFor) {
      EXPECT_EQ(PixelsOf(picture.get()), PixelsOf(source.get())) << c.dpi;
      continue;
    }
    // A filtered copy keeps the picture's colours on the whole.
    double scaled[3], original[3];
    MeanColour(PixelsOf(picture.get()), scaled);
    MeanColour(PixelsOf(source.get()), original);
    for (int ch = 0; ch < 3; ++ch) EXPECT_NEAR(scaled[ch], original[ch], 3.0) << c.dpi << " channel " << ch;
  }
}

TEST(DpiPictures, MissingResourcesGiveNothingRatherThanACrash) {
  EXPECT_EQ(LoadIconAtSize(Module(), 4321, 32), nullptr);
  const BitmapForDpi missing[] = {{4321, 96}};
  EXPECT_EQ(LoadBitmapForDpi(Module(), missing, 1, 100, 200, 144), nullptr);
  EXPECT_EQ(LoadBitmapForDpi(Module(), missing, 0, 100, 200, 144), nullptr);
  EXPECT_EQ(ShowLargeIcon(nullptr, IDC_ABOUT_ICON, IDR_MAINFRAME), nullptr);
}

}  // namespace
