#include "banner/animated_picture.h"

#include <process.h>

#include <utility>

#include "afx/wndcreate.h"
#include "banner/banner_decode.h"
#include "banner/global_memory.h"

namespace {
constexpr DWORD kStopWaitMs = 5000;

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

bool ThreadHasEnded(const KernelHandle& thread) { return ::WaitForSingleObject(thread.get(), 0) == WAIT_OBJECT_0; }
}  // namespace

BEGIN_MESSAGE_MAP(CAnimatedPicture, CStatic)
  ON_WM_PAINT()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CAnimatedPicture::CAnimatedPicture(PictureDecoder decoder) : m_decoder(decoder) {}

CAnimatedPicture::~CAnimatedPicture() { Clear(); }

BOOL CAnimatedPicture::LoadFromFile(const std::string& path) {
  KernelHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return FALSE;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > kBannerMaxFileBytes) return FALSE;
  const DWORD length = static_cast<DWORD>(size.QuadPart);

  GlobalBlock block(::GlobalAlloc(GMEM_MOVEABLE | GMEM_NODISCARD, length));
  if (!block) return FALSE;
  {
    GlobalLockGuard data(block.get());
    if (!data) return FALSE;
    DWORD done = 0;
    while (done < length) {
      DWORD read = 0;
      if (!::ReadFile(file.get(), data.data() + done, length - done, &read, nullptr) || read == 0) return FALSE;
      done += read;
    }
  }
  file.reset();
  return LoadFromMemory(block.get(), length);
}

BOOL CAnimatedPicture::LoadFromMemory(HGLOBAL block, DWORD length) {
  Clear();
  const SIZE perInch = WindowPixelsPerInch(m_hWnd);
  DecodedBanner banner = DecodeBanner(block, length, m_decoder, perInch);
  if (banner.show == PictureShow::Nothing) return FALSE;
  if (!banner.still) {
    return CreateSurface(static_cast<int>(banner.plan.width), static_cast<int>(banner.plan.height), PictureRef(),
                         std::move(banner.frames));
  }
  // A still picture takes its natural size, which its header need not have
  // told: the surface is held to the budget too.
  const SIZE size = PicturePixelSize(banner.still.get(), perInch);
  const std::uint64_t decoded = std::uint64_t{banner.plan.width} * banner.plan.height;
  if (!WithinPixelBudget(decoded + std::uint64_t(size.cx) * std::uint64_t(size.cy))) return FALSE;
  return CreateSurface(size.cx, size.cy, std::move(banner.still), {});
}

BOOL CAnimatedPicture::CreateSurface(int width, int height, PictureRef still, std::vector<GifFrame> frames) {
  // A picture larger than the place it was given is clipped where sibling
  // controls lie over it, instead of painting over them.
  AfxModifyStyle(m_hWnd, 0, WS_CLIPSIBLINGS);
  // Frames are drawn at the picture's own size and stretched only when the
  // surface is painted, so the animation's offsets and disposals stay exact.
  m_shown = {::MulDiv(width, m_displayDpi, 96), ::MulDiv(height, m_displayDpi, 96)};
  SetWindowPos(nullptr, 0, 0, m_shown.cx, m_shown.cy, SWP_NOMOVE | SWP_NOZORDER);
  WindowDC dc(m_hWnd);
  if (dc.get() == nullptr) return FALSE;
  MemorySurface surface = MemorySurface::Create(dc.get(), width, height);
  if (!surface) return FALSE;
  // The first pass starts on the menu colour; later passes on the button face.
  RECT all{0, 0, width, height};
  ::FillRect(surface.dc(), &all, reinterpret_cast<HBRUSH>(COLOR_MENU + 1));
  m_scene = std::make_shared<AnimationScene>(m_hWnd, std::move(surface), width, height, std::move(still),
                                             std::move(frames),
                                             KernelHandle(::CreateEventA(nullptr, TRUE, FALSE, nullptr)));
  return TRUE;
}

BOOL CAnimatedPicture::IsAnimation() const { return m_scene && m_scene->IsAnimation(); }

BOOL CAnimatedPicture::Start() {
  if (!m_scene) return FALSE;
  if (!m_scene->IsAnimation()) return m_scene->ShowStill();

  if (m_thread) {
    // One drawing thread at most: a running one goes on, and one that is
    // still ending after a Stop whose wait ran out is not joined by another.
    if (!ThreadHasEnded(m_thread)) return FALSE;
    m_thread.reset();
    m_stopTimedOut = false;
    m_scene->ClearStopRequest();
  }
  // The thread holds its own reference to the scene for as long as it runs.
  auto threadScene = std::make_unique<std::shared_ptr<AnimationScene>>(m_scene);
  const uintptr_t thread =
      ::_beginthreadex(nullptr, 0, &AnimationThreadProc, threadScene.get(), CREATE_SUSPENDED, nullptr);
  if (thread == 0) return FALSE;
  threadScene.release();  // now the thread's
  m_thread.reset(reinterpret_cast<HANDLE>(thread));
  ::ResumeThread(m_thread.get());
  return FALSE;
}

unsigned __stdcall CAnimatedPicture::AnimationThreadProc(void* scene) {
  const std::unique_ptr<std::shared_ptr<AnimationScene>> owned(static_cast<std::shared_ptr<AnimationScene>*>(scene));
  (*owned)->RunAnimation();
  return 0;
}

void CAnimatedPicture::Stop() {
  if (!m_scene) return;
  m_scene->RequestStop();
  if (m_thread) {
    // A thread that has not ended in time keeps its handle here and its stop
    // flag raised; nothing it uses changes until it has ended. It was waited
    // for once: later loads, hides and the exit only look whether it ended.
    const DWORD waitMs = m_stopTimedOut ? 0 : kStopWaitMs;
    if (::WaitForSingleObject(m_thread.get(), waitMs) != WAIT_OBJECT_0) {
      m_stopTimedOut = true;
      return;
    }
    m_thread.reset();
    m_stopTimedOut = false;
  }
  m_scene->ClearStopRequest();
}

void CAnimatedPicture::Clear() {
  Stop();
  // A thread still ending keeps the scene alive through its own reference
  // and releases it when it ends.
  m_thread.reset();
  m_stopTimedOut = false;
  m_scene.reset();
}

BOOL CAnimatedPicture::CopySurfaceTo(HDC dc) {
  if (!m_scene) return FALSE;
  return m_scene->CopyTo(dc) ? TRUE : FALSE;
}

void CAnimatedPicture::OnPaint() {
  CPaintDC dc(this);
  if (m_scene) m_scene->CopyTo(dc.m_hDC, m_shown.cx, m_shown.cy);
}

void CAnimatedPicture::OnDestroy() {
  Stop();
  Default();
}
