#pragma once
// What a banner control shows: the decoded picture or frames, and the
// off-screen surface they are drawn into, with the drawing loop of an
// animation. The control and its drawing thread share one scene, so that a
// thread that outlives the control's wait for it keeps everything it draws
// with alive until it ends.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "afx/critical_section.h"
#include "afx/handles.h"
#include "banner/core/frame_placement.h"
#include "banner/memory_surface.h"
#include "banner/picture_decoder.h"

// One decoded frame of an animated GIF and where and how long it shows.
struct GifFrame {
  PictureRef picture;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t left = 0;
  std::uint32_t top = 0;
  std::uint32_t delay = 0;     // hundredths of a second, as stored
  std::uint32_t disposal = 0;  // 0..7
  SurfaceRect drawn;           // where the picture goes on the surface
};

class AnimationScene {
 public:
  // The surface has width x height pixels and is already filled. Exactly one
  // of still and frames holds the picture. wakeEvent (manual reset) is the
  // drawing thread's sleep; without one the frames do not animate.
  AnimationScene(HWND window, MemorySurface surface, int width, int height, PictureRef still,
                 std::vector<GifFrame> frames, KernelHandle wakeEvent);
  AnimationScene(const AnimationScene&) = delete;
  AnimationScene& operator=(const AnimationScene&) = delete;

  bool IsAnimation() const { return m_frames.size() > 1 && m_wakeEvent; }

  // Renders the still picture, or the first frame of frames that do not
  // animate, into the surface; true when something was drawn. Drawn once:
  // later calls only show it again.
  bool ShowStill();

  // The drawing loop: runs on the drawing thread until a stop is requested.
  void RunAnimation();

  // Raises the stop flag and wakes the drawing thread from its wait.
  void RequestStop();
  // Lowers the flag again once no drawing thread runs.
  void ClearStopRequest();

  // Copies the surface to (0, 0) of target, unless the drawing thread is
  // drawing into it: then it copies nothing, never waits, and the drawing
  // thread invalidates the window again once its drawing call is over.
  // A width and height other than the surface's stretch it, filtered.
  bool CopyTo(HDC target, int width = 0, int height = 0);

  int width() const { return m_width; }
  int height() const { return m_height; }
  std::uint32_t frameIndex() const { return m_frameIndex.load(); }

 private:
  // Holds the surface lock for one drawing call; a paint that found the
  // surface busy meanwhile is made good when it is released.
  class SurfaceAccess {
   public:
    explicit SurfaceAccess(AnimationScene& scene) : m_scene(scene) { m_scene.m_surfaceLock.lock(); }
    ~SurfaceAccess() {
      // What this thread drew may wait in its batch of drawing calls: the
      // next holder of the lock finds it done.
      ::GdiFlush();
      m_scene.m_surfaceLock.unlock();
      if (m_scene.m_paintOwed.exchange(false)) m_scene.Invalidate();
    }
    SurfaceAccess(const SurfaceAccess&) = delete;
    SurfaceAccess& operator=(const SurfaceAccess&) = delete;

   private:
    AnimationScene& m_scene;
  };

  bool StopRequested() const { return m_stopRequested.load(); }
  bool RenderFrame(const GifFrame& frame);
  void SaveBackground(const GifFrame& frame);
  void DisposeFrame(const GifFrame& frame);
  void Invalidate() const;

  const HWND m_window;
  const int m_width;
  const int m_height;
  const COLORREF m_backColor;
  PictureRef m_still;
  std::vector<GifFrame> m_frames;

  // Drawing calls on the surface from the drawing thread and the paint
  // handler's copy are serialised: one device context is not safe to share.
  CriticalSection m_surfaceLock;
  MemorySurface m_surface;
  std::atomic<bool> m_paintOwed{false};
  // The background under the current frame, kept only between the drawing
  // and the disposal of a frame with disposal 3, and only the part on the
  // logical screen (m_saveRect). Drawing thread only.
  MemorySurface m_save;
  SurfaceRect m_saveRect;

  std::atomic<bool> m_stillDrawn{false};
  std::atomic<std::uint32_t> m_frameIndex{0};
  std::atomic<bool> m_stopRequested{false};
  KernelHandle m_wakeEvent;  // manual reset: the drawing thread's interruptible sleep
};
