#include "banner/banner_fetch.h"

#include <shellapi.h>

#include "afx/module_directory.h"
#include "banner/banner_decode.h"
#include "banner/banner_download.h"
#include "banner/file_replace.h"

#ifndef VARO_SITE_URL
#define VARO_SITE_URL "http://www.lumetra.example/"
#endif

namespace {

constexpr char kSiteUrl[] = VARO_SITE_URL;
constexpr std::size_t kUrlBufferSize = 1024;  // terminator included
// The dialog waits for the download before it shows. A banner of a few
// kilobytes needs a fraction of this; the rest of the 5 s promised is left
// for the files and for showing the window.
constexpr DWORD kDownloadWaitMs = 3000;
// A banner is a few kilobytes; a body far beyond that is not one.
constexpr std::size_t kMaxBannerBytes = 8u * 1024 * 1024;

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

  // The bytes checked are the bytes that land: no shared file in between,
  // and a failed step leaves the previous banner whole.
  return ReplaceFileContents(GetModuleDirectory() + fileName, body->data(), static_cast<DWORD>(body->size())) ? TRUE
                                                                                                             : FALSE;
}

void OpenMakerSite() { ::ShellExecuteA(::GetDesktopWindow(), "open", kSiteUrl, "", "", SW_SHOW); }
