#pragma once
// A static control that shows a still picture or plays an animated GIF. It
// draws into an off-screen surface of the picture's size and copies that
// surface to the screen when painted; an animation is drawn by a thread of
// the control's own. A file over the banner budget is refused whole before
// anything is decoded, and the control never draws over its siblings.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "afx/controls.h"
#include "banner/animation_scene.h"
#include "afx/handles.h"

class CAnimatedPicture : public CStatic {
 public:
  // decoder turns image bytes into pictures; the platform's by default.
  explicit CAnimatedPicture(PictureDecoder decoder = &DecodePicture);
  ~CAnimatedPicture() override;

  // The dialog has grown from its 96-DPI layout as a screen of `dpi` would
  // make it (96: not at all): pictures loaded from now on are shown that
  // much larger, filtered, at the control's place.
  void SetDisplayDpi(int dpi) { m_displayDpi = dpi > 0 ? dpi : 96; }

  // Loads an image file; true when it was decoded and its surface made. The
  // control takes the picture's size (grown as SetDisplayDpi says) and keeps
  // its position.
  BOOL LoadFromFile(const std::string& path);
  // As LoadFromFile, from a movable global block holding length bytes. The
  // control keeps nothing pointing into the block.
  BOOL LoadFromMemory(HGLOBAL block, DWORD length);

  // Shows what was loaded. True only when a still picture was drawn; an
  // animation starts its drawing thread and answers false.
  BOOL Start();
  // Ends the drawing thread, waiting for it at most 5000 ms. The animation
  // keeps its place: a later Start goes on with the same frame.
  void Stop();
  // Stops and releases everything that was loaded.
  void Clear();

  BOOL IsAnimation() const;
  // Copies the surface to (0, 0) of dc, as painting does; false without one,
  // and false without waiting while the drawing thread draws into it.
  BOOL CopySurfaceTo(HDC dc);

 protected:
  void OnPaint();
  void OnDestroy();
  DECLARE_MESSAGE_MAP()

 private:
  // Resizes the control to width x height, makes the surface, filled with
  // the menu colour, and keeps what was decoded with it.
  BOOL CreateSurface(int width, int height, PictureRef still, std::vector<GifFrame> frames);
  static unsigned __stdcall AnimationThreadProc(void* scene);

  const PictureDecoder m_decoder;
  int m_displayDpi = 96;
  SIZE m_shown{0, 0};  // the picture's size on the screen
  std::shared_ptr<AnimationScene> m_scene;  // null while nothing is loaded
  // The drawing thread. Still set after a Stop whose wait ran out: that
  // thread has been asked to end but may still be drawing.
  KernelHandle m_thread;
  // A Stop has already waited its full time for m_thread.
  bool m_stopTimedOut = false;
};
