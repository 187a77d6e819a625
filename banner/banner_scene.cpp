#include "banner/banner_scene.h"

#include <utility>

#include "afx/handles.h"
#include "banner/banner_decode.h"
#include "banner/global_memory.h"

namespace {

// The control's device context for the length of one step.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : m_window(window), m_dc(::GetDC(window)) {}
  ~WindowDC() {
    if (m_dc != nullptr) ::ReleaseDC(m_window, m_dc);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return m_dc; }

 private:
  HWND m_window;
  HDC m_dc;
};

// A surface of width x height filled with the menu colour, where the first
// pass starts (later passes start on the button face), and the scene on it.
std::shared_ptr<AnimationScene> MakeScene(HWND window, int width, int height, PictureRef still,
                                          std::vector<GifFrame> frames) {
  MemorySurface surface;
  {
    WindowDC dc(window);
    if (dc.get() == nullptr) return nullptr;
    surface = MemorySurface::Create(dc.get(), width, height);
  }
  if (!surface) return nullptr;
  RECT all{0, 0, width, height};
  ::FillRect(surface.dc(), &all, reinterpret_cast<HBRUSH>(COLOR_MENU + 1));
  return std::make_shared<AnimationScene>(window, std::move(surface), width, height, std::move(still),
                                          std::move(frames),
                                          KernelHandle(::CreateEventA(nullptr, TRUE, FALSE, nullptr)));
}

}  // namespace

std::shared_ptr<AnimationScene> MakeBannerScene(HGLOBAL block, DWORD length, PictureDecoder decoder, HWND window) {
  const SIZE perInch = WindowPixelsPerInch(window);
  DecodedBanner banner = DecodeBanner(block, length, decoder, perInch);
  if (banner.show == PictureShow::Nothing) return nullptr;
  if (!banner.still) {
    return MakeScene(window, static_cast<int>(banner.plan.width), static_cast<int>(banner.plan.height), PictureRef(),
                     std::move(banner.frames));
  }
  // A still picture takes its natural size, which its header need not have
  // told: the surface is held to the budget too.
  const SIZE size = PicturePixelSize(banner.still.get(), perInch);
  const std::uint64_t decoded = std::uint64_t{banner.plan.width} * banner.plan.height;
  if (!WithinPixelBudget(decoded + std::uint64_t(size.cx) * std::uint64_t(size.cy))) return nullptr;
  return MakeScene(window, size.cx, size.cy, std::move(banner.still), {});
}

std::shared_ptr<AnimationScene> LoadBannerScene(const std::string& path, PictureDecoder decoder, HWND window) {
  // Sharing delete as well: a download that replaces the file meanwhile
  // is not refused for this short read.
  KernelHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return nullptr;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > kBannerMaxFileBytes) {
    return nullptr;
  }
  const DWORD length = static_cast<DWORD>(size.QuadPart);

  GlobalBlock block(::GlobalAlloc(GMEM_MOVEABLE | GMEM_NODISCARD, length));
  if (!block) return nullptr;
  {
    GlobalLockGuard data(block.get());
    if (!data) return nullptr;
    DWORD done = 0;
    while (done < length) {
      DWORD read = 0;
      if (!::ReadFile(file.get(), data.data() + done, length - done, &read, nullptr) || read == 0) return nullptr;
      done += read;
    }
  }
  file.reset();
  return MakeBannerScene(block.get(), length, decoder, window);
}
