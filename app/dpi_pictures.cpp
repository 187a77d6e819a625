#include "app/dpi_pictures.h"

#include <iterator>
#include <list>
#include <vector>

#include "app/core/dpi_scale.h"

namespace {

// The sizes each icon file has an image for.
const int kDrawnIconSizes[] = {64, 48, 40, 32, 24, 20, 16};

// The screen's device context, released at scope end.
class ScreenDC {
 public:
  ScreenDC() : m_dc(::GetDC(nullptr)) {}
  ~ScreenDC() {
    if (m_dc) ::ReleaseDC(nullptr, m_dc);
  }
  ScreenDC(const ScreenDC&) = delete;
  ScreenDC& operator=(const ScreenDC&) = delete;
  HDC get() const { return m_dc; }

 private:
  HDC m_dc;
};

// A memory device context with one bitmap selected, put back at scope end.
class SelectedBitmap {
 public:
  SelectedBitmap(HDC compatibleWith, HBITMAP bitmap) : m_dc(::CreateCompatibleDC(compatibleWith)) {
    if (m_dc) m_previous = ::SelectObject(m_dc, bitmap);
  }
  ~SelectedBitmap() {
    if (!m_dc) return;
    ::SelectObject(m_dc, m_previous);
    ::DeleteDC(m_dc);
  }
  SelectedBitmap(const SelectedBitmap&) = delete;
  SelectedBitmap& operator=(const SelectedBitmap&) = delete;
  HDC get() const { return m_dc; }

 private:
  HDC m_dc;
  HGDIOBJ m_previous = nullptr;
};

// A copy of `source` at width x height, filtered (halftone) rather than
// with rows and columns dropped or doubled.
HBITMAP ScaledCopy(HBITMAP source, int width, int height) {
  BITMAP info = {};
  if (::GetObjectA(source, sizeof info, &info) == 0) return nullptr;
  ScreenDC screen;
  if (!screen.get()) return nullptr;
  BitmapHandle scaled(::CreateCompatibleBitmap(screen.get(), width, height));
  if (!scaled) return nullptr;
  SelectedBitmap from(screen.get(), source);
  SelectedBitmap to(screen.get(), scaled.get());
  if (!from.get() || !to.get()) return nullptr;
  ::SetStretchBltMode(to.get(), HALFTONE);
  ::SetBrushOrgEx(to.get(), 0, 0, nullptr);  // as HALFTONE requires after the mode is set
  if (!::StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY)) {
    return nullptr;
  }
  return scaled.release();
}

// The average character width of `font`: the horizontal dialog unit, as
// the system computes it for a dialog's font.
int AverageCharWidth(HDC dc, HFONT font) {
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  HGDIOBJ before = ::SelectObject(dc, font);
  SIZE extent = {};
  const BOOL measured = ::GetTextExtentPoint32A(dc, kLetters, 52, &extent);
  ::SelectObject(dc, before);
  return measured ? (extent.cx / 26 + 1) / 2 : 0;
}

}  // namespace

int ScreenDpi() {
  ScreenDC screen;
  return screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : kBaseDpi;
}

HICON LoadIconAtSize(HINSTANCE module, UINT id, int size) {
  return static_cast<HICON>(
      ::LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

HICON LoadSmallIcon(HINSTANCE module, UINT id) {
  return LoadIconAtSize(module, id, ::GetSystemMetrics(SM_CXSMICON));
}

int DialogDpiOf(HWND dialog) {
  HFONT font = reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0));
  LOGFONTA logFont = {};
  if (!font || ::GetObjectA(font, sizeof logFont, &logFont) == 0) return ScreenDpi();
  ScreenDC screen;
  if (!screen.get()) return kBaseDpi;
  const int dpi = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
  // At 96 DPI the font at 96 DPI is the dialog's own: nothing to measure.
  if (dpi == kBaseDpi) return kBaseDpi;
  const int unitNow = AverageCharWidth(screen.get(), font);
  logFont.lfHeight = ::MulDiv(logFont.lfHeight, kBaseDpi, dpi);  // the same font at 96 DPI
  UniqueHandle<HFONT, &::DeleteObject> font96(::CreateFontIndirectA(&logFont));
  if (!font96) return dpi;
  return DialogDpi(unitNow, AverageCharWidth(screen.get(), font96.get()));
}

int LargeIconSizeFor(HWND dialog, int dialogDpi) {
  // Measuring the dialog's font costs a font of its own each time.
  const int dpi = dialogDpi > 0 ? dialogDpi : DialogDpiOf(dialog);
  return IconSizeForPlace(ScaleToDpi(32, dpi), kDrawnIconSizes, std::size(kDrawnIconSizes));
}

HICON SharedIconAtSize(HINSTANCE module, UINT id, int size) {
  struct Loaded {
    Loaded(HINSTANCE m, UINT i, int s, HICON loaded) : module(m), id(i), size(s), icon(loaded) {}
    HINSTANCE module;
    UINT id;
    int size;
    IconHandle icon;
  };
  static std::list<Loaded> s_loaded;  // a few icons; destroyed after every window
  for (const Loaded& l : s_loaded) {
    if (l.module == module && l.id == id && l.size == size) return l.icon.get();
  }
  HICON icon = LoadIconAtSize(module, id, size);
  if (!icon) return nullptr;
  s_loaded.emplace_back(module, id, size, icon);
  return icon;
}

HICON ShowLargeIcon(HWND dialog, int controlId, UINT iconId, int dialogDpi) {
  HWND control = ::GetDlgItem(dialog, controlId);
  if (!control) return nullptr;
  HICON icon = SharedIconAtSize(reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(dialog, GWLP_HINSTANCE)), iconId,
                                LargeIconSizeFor(dialog, dialogDpi));
  // The template's icon is a shared one, which must not be destroyed.
  if (icon) ::SendMessageA(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  return icon;
}

HBITMAP LoadBitmapForDpi(HINSTANCE module, const BitmapForDpi* images, std::size_t count, int width96,
                         int height96, int dpi) {
  if (count == 0) return nullptr;
  std::vector<int> dpis;
  for (std::size_t i = 0; i < count; ++i) dpis.push_back(images[i].dpi);
  const BitmapForDpi& image = images[PickImageForDpi(dpis.data(), count, dpi)];
  BitmapHandle loaded(static_cast<HBITMAP>(
      ::LoadImageA(module, MAKEINTRESOURCEA(image.id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
  if (!loaded) return nullptr;
  const int width = ScaleToDpi(width96, dpi);
  const int height = ScaleToDpi(height96, dpi);
  BITMAP info = {};
  if (::GetObjectA(loaded.get(), sizeof info, &info) == 0) return nullptr;
  if (info.bmWidth == width && info.bmHeight == height) {
    return loaded.release();
  }
  return ScaledCopy(loaded.get(), width, height);
}

void ShowBitmap(HWND dialog, int controlId, HBITMAP bitmap) {
  HWND control = ::GetDlgItem(dialog, controlId);
  if (!control || !bitmap) return;
  HGDIOBJ before = reinterpret_cast<HGDIOBJ>(
      ::SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
  // The template's bitmap was the control's own; handed back, it is ours.
  if (before && before != bitmap) ::DeleteObject(before);
}
