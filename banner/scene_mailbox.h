#pragma once
// Hands scenes made on a worker thread to the control that shows them, on
// the control's own thread. The worker leaves each scene here and nudges the
// control with a posted message; the control takes the newest. Once the
// control closes the mailbox (a newer load, or its window going), later
// scenes are dropped and nothing more is posted to the window.
#include <windows.h>

#include <memory>

#include "afx/critical_section.h"
#include "banner/animation_scene.h"

class SceneMailbox {
 public:
  SceneMailbox(HWND window, UINT message) : m_window(window), m_message(message) {}
  SceneMailbox(const SceneMailbox&) = delete;
  SceneMailbox& operator=(const SceneMailbox&) = delete;

  // Worker: leaves scene, replacing one not yet taken, and nudges the
  // window. False when the mailbox is closed or the nudge could not be posted.
  bool Deliver(std::shared_ptr<AnimationScene> scene);
  // Worker: whether a scene would still be taken.
  bool IsOpen();
  // Control: the newest scene left, or null.
  std::shared_ptr<AnimationScene> Take();
  // Control: drops what was left and everything that comes later.
  void Close();

 private:
  const HWND m_window;
  const UINT m_message;
  CriticalSection m_lock;
  bool m_closed = false;
  std::shared_ptr<AnimationScene> m_scene;
};
