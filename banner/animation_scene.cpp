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
                               std::vector<GifFrame> frames)
    : m_window(window),
      m_width(width),
      m_height(height),
      m_backColor(::GetSysColor(COLOR_BTNFACE)),
      m_still(std::move(still)),
      m_frames(std::move(frames)),
      m_surface(std::move(surface)),
      m_wakeEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

bool AnimationScene::ShowStill() {
  bool drawn = false;
  if (m_still) {
    ScopedLock lock(m_surfaceLock);
    drawn = RenderPicture(m_still.get(), m_surface.dc(), 0, 0, m_width, m_height);
  } else if (m_frames.size() == 1) {
    // A multi-frame GIF of which one frame decoded: show that frame.
    drawn = RenderFrame(m_frames.front());
  }
  if (drawn) Invalidate();
  return drawn;
}

void AnimationScene::RunAnimation() {
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
      ScopedLock lock(m_surfaceLock);
      FillSolid(m_surface.dc(), RECT{0, 0, m_width, m_height}, m_backColor);
    } else {
      ++m_frameIndex;
    }
    if (StopRequested()) return;
  }
}

void AnimationScene::RequestStop() {
  m_stopRequested = true;
  ::SetEvent(m_wakeEvent.get());
}

void AnimationScene::ClearStopRequest() {
  ::ResetEvent(m_wakeEvent.get());
  m_stopRequested = false;
}

void AnimationScene::CopyTo(HDC target) {
  ScopedLock lock(m_surfaceLock);
  ::BitBlt(target, 0, 0, m_width, m_height, m_surface.dc(), 0, 0, SRCCOPY);
}

bool AnimationScene::RenderFrame(const GifFrame& frame) {
  ScopedLock lock(m_surfaceLock);
  return RenderPicture(frame.picture.get(), m_surface.dc(), static_cast<int>(frame.left),
                       static_cast<int>(frame.top), static_cast<int>(frame.width),
                       static_cast<int>(frame.height));
}

void AnimationScene::SaveBackground(const GifFrame& frame) {
  // When the save area cannot be made nothing is saved and the disposal
  // restores nothing.
  m_save = MemorySurface::Create(m_surface.dc(), static_cast<int>(frame.width), static_cast<int>(frame.height));
  if (!m_save) return;
  ScopedLock lock(m_surfaceLock);
  ::BitBlt(m_save.dc(), 0, 0, static_cast<int>(frame.width), static_cast<int>(frame.height), m_surface.dc(),
           static_cast<int>(frame.left), static_cast<int>(frame.top), SRCCOPY);
}

void AnimationScene::DisposeFrame(const GifFrame& frame) {
  if (frame.disposal == kDisposeToBackground) {
    ScopedLock lock(m_surfaceLock);
    FillSolid(m_surface.dc(), FrameRect(frame), m_backColor);
  } else if (frame.disposal == kDisposeToPrevious && m_save) {
    {
      ScopedLock lock(m_surfaceLock);
      ::BitBlt(m_surface.dc(), static_cast<int>(frame.left), static_cast<int>(frame.top),
               static_cast<int>(frame.width), static_cast<int>(frame.height), m_save.dc(), 0, 0, SRCCOPY);
    }
    m_save.reset();
  }
}

void AnimationScene::Invalidate() const { ::InvalidateRect(m_window, nullptr, FALSE); }
