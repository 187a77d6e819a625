#include "banner/animation_scene.h"

#include <utility>

#include "banner/core/frame_wait.h"

namespace {
constexpr std::uint32_t kDisposeToBackground = 2;
constexpr std::uint32_t kDisposeToPrevious = 3;

RECT FrameRect(const GifFrame& frame) {
  return RECT{static_cast<LONG>(frame.left), static_cast<LONG>(frame.top),
              static_cast<LONG>(frame.left + frame.width), static_cast<LONG>(frame.top + frame.height)};
}
}  // namespace

AnimationScene::AnimationScene(HWND window, MemorySurface surface, int width, int height, PictureRef still,
                               std::vector<GifFrame> frames, KernelHandle wakeEvent)
    : m_window(window),
      m_width(width),
      m_height(height),
      m_backColor(::GetSysColor(COLOR_BTNFACE)),
      m_still(std::move(still)),
      m_frames(std::move(frames)),
      m_surface(std::move(surface)),
      m_wakeEvent(std::move(wakeEvent)) {}

bool AnimationScene::ShowStill() {
  // Drawn once: nothing else draws into a scene that does not animate.
  if (!m_stillDrawn) {
    if (m_still) {
      SurfaceAccess access(*this);
      m_stillDrawn = RenderPicture(m_still.get(), m_surface.dc(), 0, 0, m_width, m_height);
    } else if (!m_frames.empty()) {
      // One frame, or frames that cannot animate: show the first.
      m_stillDrawn = RenderFrame(m_frames.front());
    }
  }
  if (m_stillDrawn) Invalidate();
  return m_stillDrawn;
}

void AnimationScene::RunAnimation() {
  // Without its wake event the loop would never sleep.
  if (!IsAnimation()) return;
  // After a stop, the frame on screen still owes its disposal.
  DisposeFrame(m_frames[m_frameIndex]);
  if (StopRequested()) return;
  for (;;) {
    const GifFrame& frame = m_frames[m_frameIndex];
    if (frame.disposal == kDisposeToPrevious) SaveBackground(frame);
    if (RenderFrame(frame)) Invalidate();
    if (StopRequested()) return;

    ::WaitForSingleObject(m_wakeEvent.get(), FrameWaitMilliseconds(frame.delay));
    if (StopRequested()) return;
    DisposeFrame(frame);

    if (m_frameIndex + 1 >= m_frames.size()) {
      m_frameIndex = 0;
      SurfaceAccess access(*this);
      FillSolid(m_surface.dc(), RECT{0, 0, m_width, m_height}, m_backColor);
    } else {
      ++m_frameIndex;
    }
    if (StopRequested()) return;
  }
}

void AnimationScene::RequestStop() {
  m_stopRequested = true;
  if (m_wakeEvent) ::SetEvent(m_wakeEvent.get());
}

void AnimationScene::ClearStopRequest() {
  if (m_wakeEvent) ::ResetEvent(m_wakeEvent.get());
  m_stopRequested = false;
}

bool AnimationScene::CopyTo(HDC target, int width, int height) {
  // Owed before trying: a drawing thread that lets the lock go after this
  // point sees it and asks for the paint again.
  m_paintOwed = true;
  if (!m_surfaceLock.try_lock()) return false;
  m_paintOwed = false;
  if (width > 0 && height > 0 && (width != m_width || height != m_height)) {
    const int mode = ::SetStretchBltMode(target, HALFTONE);
    POINT origin{};
    ::SetBrushOrgEx(target, 0, 0, &origin);  // as HALFTONE requires after the mode is set
    ::StretchBlt(target, 0, 0, width, height, m_surface.dc(), 0, 0, m_width, m_height, SRCCOPY);
    ::SetBrushOrgEx(target, origin.x, origin.y, nullptr);
    ::SetStretchBltMode(target, mode);
  } else {
    ::BitBlt(target, 0, 0, m_width, m_height, m_surface.dc(), 0, 0, SRCCOPY);
  }
  m_surfaceLock.unlock();
  return true;
}

bool AnimationScene::RenderFrame(const GifFrame& frame) {
  SurfaceAccess access(*this);
  return RenderPicture(frame.picture.get(), m_surface.dc(), frame.drawn.left, frame.drawn.top, frame.drawn.width,
                       frame.drawn.height);
}

void AnimationScene::SaveBackground(const GifFrame& frame) {
  // Only what lies on the screen is saved. When the save area cannot be
  // made nothing is saved and the disposal restores nothing.
  m_saveRect = ClipToScreen(GifFrameRect{frame.left, frame.top, frame.width, frame.height},
                            PixelSize{static_cast<std::uint32_t>(m_width), static_cast<std::uint32_t>(m_height)});
  m_save.reset();
  if (m_saveRect.width == 0 || m_saveRect.height == 0) return;
  // The surface's device context is the paint handler's too: a context is
  // never used by two threads at once, not even as the model of a new one.
  SurfaceAccess access(*this);
  m_save = MemorySurface::Create(m_surface.dc(), m_saveRect.width, m_saveRect.height);
  if (!m_save) return;
  ::BitBlt(m_save.dc(), 0, 0, m_saveRect.width, m_saveRect.height, m_surface.dc(), m_saveRect.left, m_saveRect.top,
           SRCCOPY);
}

void AnimationScene::DisposeFrame(const GifFrame& frame) {
  if (frame.disposal == kDisposeToBackground) {
    SurfaceAccess access(*this);
    FillSolid(m_surface.dc(), FrameRect(frame), m_backColor);
  } else if (frame.disposal == kDisposeToPrevious && m_save) {
    {
      SurfaceAccess access(*this);
      ::BitBlt(m_surface.dc(), m_saveRect.left, m_saveRect.top, m_saveRect.width, m_saveRect.height, m_save.dc(), 0,
               0, SRCCOPY);
    }
    m_save.reset();
  }
}

void AnimationScene::Invalidate() const { ::InvalidateRect(m_window, nullptr, FALSE); }
