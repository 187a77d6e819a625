#include "banner/animated_picture.h"

#include <process.h>

#include <utility>

#include "afx/wndcreate.h"
#include "banner/banner_scene.h"

namespace {
constexpr DWORD kStopWaitMs = 5000;
// Posted to the control by a worker that left a scene in its mailbox.
constexpr UINT WM_SCENE_DELIVERED = WM_APP + 0x50;

bool ThreadHasEnded(const KernelHandle& thread) { return ::WaitForSingleObject(thread.get(), 0) == WAIT_OBJECT_0; }
}  // namespace

BEGIN_MESSAGE_MAP(CAnimatedPicture, CStatic)
  ON_WM_PAINT()
  ON_WM_DESTROY()
  ON_MESSAGE(WM_SCENE_DELIVERED, OnSceneDelivered)
END_MESSAGE_MAP()

CAnimatedPicture::CAnimatedPicture(PictureDecoder decoder) : m_decoder(decoder) {}

CAnimatedPicture::~CAnimatedPicture() {
  CloseMailbox();
  Clear();
}

BOOL CAnimatedPicture::LoadFromFile(const std::string& path) {
  // A load of the caller's own supersedes whatever a worker still makes.
  CloseMailbox();
  Clear();
  std::shared_ptr<AnimationScene> scene = LoadBannerScene(path, m_decoder, m_hWnd);
  if (!scene) return FALSE;
  Adopt(std::move(scene));
  return TRUE;
}

BOOL CAnimatedPicture::LoadFromMemory(HGLOBAL block, DWORD length) {
  CloseMailbox();
  Clear();
  std::shared_ptr<AnimationScene> scene = MakeBannerScene(block, length, m_decoder, m_hWnd);
  if (!scene) return FALSE;
  Adopt(std::move(scene));
  return TRUE;
}

std::shared_ptr<SceneMailbox> CAnimatedPicture::OpenMailbox() {
  CloseMailbox();
  m_mailbox = std::make_shared<SceneMailbox>(m_hWnd, WM_SCENE_DELIVERED);
  return m_mailbox;
}

void CAnimatedPicture::CloseMailbox() {
  if (!m_mailbox) return;
  m_mailbox->Close();
  m_mailbox.reset();
}

LRESULT CAnimatedPicture::OnSceneDelivered(WPARAM, LPARAM) {
  // A nudge from a closed mailbox finds nothing to take.
  std::shared_ptr<AnimationScene> scene = m_mailbox ? m_mailbox->Take() : nullptr;
  if (!scene) return 0;
  Clear();
  Adopt(std::move(scene));
  if (m_started) Start();
  return 0;
}

void CAnimatedPicture::Adopt(std::shared_ptr<AnimationScene> scene) {
  // A picture larger than the place it was given is clipped where sibling
  // controls lie over it, instead of painting over them.
  AfxModifyStyle(m_hWnd, 0, WS_CLIPSIBLINGS);
  // Frames are drawn at the picture's own size and stretched only when the
  // surface is painted, so the animation's offsets and disposals stay exact.
  m_shown = {::MulDiv(scene->width(), m_displayDpi, 96), ::MulDiv(scene->height(), m_displayDpi, 96)};
  SetWindowPos(nullptr, 0, 0, m_shown.cx, m_shown.cy, SWP_NOMOVE | SWP_NOZORDER);
  m_scene = std::move(scene);
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

BOOL CAnimatedPicture::IsAnimation() const { return m_scene && m_scene->IsAnimation(); }

BOOL CAnimatedPicture::Start() {
  m_started = true;
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
  m_started = false;
  EndDrawing();
}

void CAnimatedPicture::EndDrawing() {
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
  EndDrawing();
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
  // Nothing is delivered to a window that is going.
  CloseMailbox();
  EndDrawing();
  Default();
}
