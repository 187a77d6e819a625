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
};

class AnimationScene {
 public:
  // The surface has width x height pixels and is already filled. Exactly one
  // of still and frames holds the picture.
  AnimationScene(HWND window, MemorySurface surface, int width, int height, PictureRef still,
                 std::vector<GifFrame> frames);
  AnimationScene(const AnimationScene&) = delete;
  AnimationScene& operator=(const AnimationScene&) = delete;

  bool IsAnimation() const { return m_frames.size() > 1; }

  // Renders the still picture, or the only frame that decoded, into the
  // surface; true when something was drawn.
  bool ShowStill();

  // The drawing loop: runs on the drawing thread until a stop is requested.
  void RunAnimation();

  // Raises the stop flag and wakes the drawing thread from its wait.
  void RequestStop();
  // Lowers the flag again once no drawing thread runs.
  void ClearStopRequest();

  // Copies the surface to (0, 0) of target.
  void CopyTo(HDC target);

  int width() const { return m_width; }
  int height() const { return m_height; }
  std::uint32_t frameIndex() const { return m_frameIndex.load(); }

 private:
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
  // The background under the current frame, kept only between the drawing
  // and the disposal of a frame with disposal 3. Drawing thread only.
  MemorySurface m_save;

  std::atomic<std::uint32_t> m_frameIndex{0};
  std::atomic<bool> m_stopRequested{false};
  KernelHandle m_wakeEvent;  // manual reset: the drawing thread's interruptible sleep
};
