#include "banner/scene_mailbox.h"

#include <utility>

bool SceneMailbox::Deliver(std::shared_ptr<AnimationScene> scene) {
  std::shared_ptr<AnimationScene> replaced;  // released outside the lock
  ScopedLock hold(m_lock);
  if (m_closed) return false;
  replaced = std::exchange(m_scene, std::move(scene));
  // Posted under the lock: once Close has returned, no nudge can reach a
  // window that may be gone, or a new window that took its handle.
  return ::PostMessageA(m_window, m_message, 0, 0) != FALSE;
}

bool SceneMailbox::IsOpen() {
  ScopedLock hold(m_lock);
  return !m_closed;
}

std::shared_ptr<AnimationScene> SceneMailbox::Take() {
  ScopedLock hold(m_lock);
  return std::move(m_scene);
}

void SceneMailbox::Close() {
  std::shared_ptr<AnimationScene> dropped;
  ScopedLock hold(m_lock);
  m_closed = true;
  dropped = std::move(m_scene);
}
