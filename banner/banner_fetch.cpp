#include "banner/banner_fetch.h"

#include <shellapi.h>

#include "afx/module_directory.h"
#include "banner/banner_decode.h"
#include "banner/banner_download.h"
#include "afx/handles.h"

#ifndef VARO_SITE_URL
#define VARO_SITE_URL "http://www.lumetra.example/"
#endif

namespace {

constexpr char kSiteUrl[] = VARO_SITE_URL;
constexpr std::size_t kUrlBufferSize = 1024;  // terminator included
constexpr char kTempFileTail[] = "\\Temp\\test.gif";
// The dialog waits for the download before it shows. A banner of a few
// kilobytes needs a fraction of this; the rest of the 5 s promised is left
// for the files and for showing the window.
constexpr DWORD kDownloadWaitMs = 3000;
// A banner is a few kilobytes; a body far beyond that is not one.
constexpr std::size_t kMaxBannerBytes = 8u * 1024 * 1024;

bool WriteWholeFile(const std::string& path, const DownloadBody& body) {
  const KernelHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.get(), body.data(), static_cast<DWORD>(body.size()), &written, nullptr) &&
         written == body.size();
}

}  // namespace

std::string BannerUrl(const char* fileName) { return std::string(kSiteUrl) + "ads/" + fileName; }

BOOL FetchBanner(const char* fileName) {
  const std::string url = BannerUrl(fileName);
  if (url.size() >= kUrlBufferSize) return FALSE;

  std::optional<DownloadBody> body = DownloadWithin(url, DownloadLimits{kDownloadWaitMs, kMaxBannerBytes});
  // Whatever is not a picture the control would show (a login or block page
  // answered with 200, a cut or oversized picture) would only wipe out the
  // banner there is.
  if (!body || !IsShowableBanner(*body)) return FALSE;

  char windowsDir[MAX_PATH] = {};
  const UINT length = ::GetWindowsDirectoryA(windowsDir, MAX_PATH);
  if (length == 0 || length + sizeof(kTempFileTail) > MAX_PATH) return FALSE;
  const std::string tempPath = std::string(windowsDir) + kTempFileTail;
  if (!WriteWholeFile(tempPath, *body)) return FALSE;

  // A failed copy leaves the previous banner in place.
  ::CopyFileA(tempPath.c_str(), (GetModuleDirectory() + fileName).c_str(), FALSE);
  return TRUE;
}

void OpenMakerSite() { ::ShellExecuteA(::GetDesktopWindow(), "open", kSiteUrl, "", "", SW_SHOW); }
