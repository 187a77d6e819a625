#pragma once
// A static control that shows a still picture or plays an animated GIF. It
// draws into an off-screen surface of the picture's size and copies that
// surface to the screen when painted; an animation is drawn by a thread of
// the control's own. A file over the banner budget is refused whole before
// anything is decoded, and the control never draws over its siblings.
// Pictures may also be decoded on a worker thread and handed over through a
// mailbox, so that the window's thread never waits for them.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "afx/controls.h"
#include "afx/handles.h"
#include "banner/animation_scene.h"
#include "banner/scene_mailbox.h"

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

  // A mailbox for scenes made on another thread: each one delivered there
  // replaces what the control shows, on the control's thread, and plays if
  // the control is started. A load, a newer mailbox or the window's end
  // closes it. The control's window must exist.
  std::shared_ptr<SceneMailbox> OpenMailbox();
  // The decoder loads use, for whoever makes scenes for the control.
  PictureDecoder decoder() const { return m_decoder; }

  // Shows what was loaded, and what arrives in the mailbox until Stop. True
  // only when a still picture was drawn; an animation starts its drawing
  // thread and answers false.
  BOOL Start();
  // Ends the drawing thread, waiting for it at most 5000 ms. The animation
  // keeps its place: a later Start goes on with the same frame. A scene
  // that arrives while stopped is shown at the next Start.
  void Stop();
  // Stops the drawing and releases everything that was loaded.
  void Clear();

  BOOL IsAnimation() const;
  // Copies the surface to (0, 0) of dc, as painting does; false without one,
  // and false without waiting while the drawing thread draws into it.
  BOOL CopySurfaceTo(HDC dc);

 protected:
  void OnPaint();
  void OnDestroy();
  LRESULT OnSceneDelivered(WPARAM, LPARAM);
  DECLARE_MESSAGE_MAP()

 private:
  // Shows scene in place of what was loaded: the control takes its size
  // (grown as SetDisplayDpi says) and keeps its position.
  void Adopt(std::shared_ptr<AnimationScene> scene);
  // Ends the drawing thread, as Stop does, leaving m_started as it is.
  void EndDrawing();
  void CloseMailbox();
  static unsigned __stdcall AnimationThreadProc(void* scene);

  const PictureDecoder m_decoder;
  std::shared_ptr<SceneMailbox> m_mailbox;  // null while none is open
  bool m_started = false;  // between Start and Stop
  int m_displayDpi = 96;
  SIZE m_shown{0, 0};  // the picture's size on the screen
  std::shared_ptr<AnimationScene> m_scene;  // null while nothing is loaded
  // The drawing thread. Still set after a Stop whose wait ran out: that
  // thread has been asked to end but may still be drawing.
  KernelHandle m_thread;
  // A Stop has already waited its full time for m_thread.
  bool m_stopTimedOut = false;
};
