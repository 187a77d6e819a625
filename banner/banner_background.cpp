#include "banner/banner_background.h"

#include <process.h>

#include <memory>
#include <string>
#include <utility>

#include "afx/module_directory.h"
#include "banner/banner_fetch.h"
#include "banner/banner_scene.h"
#include "banner/com_apartment.h"

namespace {

struct BannerJob {
  std::string fileName;
  std::string path;
  HWND window;
  PictureDecoder decoder;
  std::shared_ptr<SceneMailbox> mailbox;
};

// Reads and decodes the file, and draws a still picture into its surface,
// so that the window's thread only has to show it.
void DeliverFile(const BannerJob& job) {
  if (!job.mailbox->IsOpen()) return;
  std::shared_ptr<AnimationScene> scene = LoadBannerScene(job.path, job.decoder, job.window);
  if (!scene) return;
  if (!scene->IsAnimation()) scene->ShowStill();
  // Drawing calls may wait in this thread's batch; the surface is handed
  // over complete, and nothing is left behind when this thread ends.
  ::GdiFlush();
  job.mailbox->Deliver(std::move(scene));
}

unsigned __stdcall BannerWorker(void* argument) {
  const std::unique_ptr<BannerJob> job(static_cast<BannerJob*>(argument));
  // The platform's picture decoders may be COM objects. This thread pumps
  // no messages, which only the multithreaded apartment does without.
  const ComApartment com(COINIT_MULTITHREADED);
  DeliverFile(*job);
  // The download goes on for a window that has gone: the next one shows it.
  const bool replaced = FetchBanner(job->fileName.c_str()) != FALSE;
  if (replaced) DeliverFile(*job);
  // The only trace of a download's outcome, for whoever watches the debugger.
  ::OutputDebugStringA((job->fileName + (replaced ? ": replaced by the download" : ": kept")).c_str());
  return 0;
}

}  // namespace

KernelHandle ShowBannerInBackground(CAnimatedPicture& picture, const char* fileName) {
  auto job = std::make_unique<BannerJob>(BannerJob{fileName, GetModuleDirectory() + fileName, picture.m_hWnd,
                                                   picture.decoder(), picture.OpenMailbox()});
  const uintptr_t thread = ::_beginthreadex(nullptr, 0, &BannerWorker, job.get(), 0, nullptr);
  if (thread == 0) {
    picture.LoadFromFile(job->path);
    return KernelHandle();
  }
  job.release();  // now the worker's
  return KernelHandle(reinterpret_cast<HANDLE>(thread));
}
