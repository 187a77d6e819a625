#include "banner/banner_download.h"

#include <process.h>

#include <memory>
#include <utility>

#include "afx/handles.h"
#include "banner/download_handles.h"

namespace {

constexpr char kAgent[] = "VAROFETCH";
constexpr DWORD kUrlBufferSize = 1024;
constexpr DWORD kReadBufferSize = 4096;
constexpr DWORD kHttpOk = 200;
// Said outright, so that no proxy on the way answers from its cache either.
constexpr char kNoCacheHeaders[] = "Cache-Control: no-cache\r\nPragma: no-cache\r\n";

// What the worker and the waiting caller share. The caller reads the result
// only after the worker has ended; a caller that gives up closes the
// handles, which ends whatever call the worker is blocked in.
struct DownloadJob {
  std::string url;
  DownloadLimits limits;
  DWORD startTick = 0;
  DownloadHandles handles;
  bool complete = false;
  DownloadBody body;
};

bool OutOfTime(const DownloadJob& job) {
  return job.handles.closed() || ::GetTickCount() - job.startTick >= job.limits.waitMs;
}

void SetTimeouts(HINTERNET handle, DWORD ms) {
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    ::InternetSetOptionA(handle, option, &ms, sizeof(ms));
  }
}

bool QueryNumber(HINTERNET request, DWORD info, DWORD& value) {
  DWORD size = sizeof(value);
  return ::HttpQueryInfoA(request, info | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr) != FALSE;
}

// The request is made in steps (connection, request, send) rather than in one
// URL call, because only a request handle honours its time-outs everywhere.
bool Download(DownloadJob& job) {
  // Every handle is the job's: a caller that gives up may close it at any
  // time, so none is used again once the job says closed.
  HINTERNET session = ::InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!job.handles.Keep(session)) return false;
  SetTimeouts(session, job.limits.waitMs);

  char canonical[kUrlBufferSize] = {};
  DWORD canonicalLength = kUrlBufferSize;
  if (!::InternetCanonicalizeUrlA(job.url.c_str(), canonical, &canonicalLength, ICU_BROWSER_MODE)) return false;

  char host[INTERNET_MAX_HOST_NAME_LENGTH] = {};
  char path[kUrlBufferSize] = {};
  URL_COMPONENTSA parts{};
  parts.dwStructSize = sizeof(parts);
  parts.lpszHostName = host;
  parts.dwHostNameLength = sizeof(host);
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = sizeof(path);
  if (!::InternetCrackUrlA(canonical, 0, 0, &parts)) return false;
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
  const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0;

  HINTERNET connection =
      ::InternetConnectA(session, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  if (!job.handles.Keep(connection)) return false;
  HINTERNET request = ::HttpOpenRequestA(connection, "GET", path[0] != '\0' ? path : "/", nullptr, nullptr, nullptr,
                                         DownloadRequestFlags() | secure, 0);
  if (!job.handles.Keep(request)) return false;
  SetTimeouts(request, job.limits.waitMs);
  if (!::HttpSendRequestA(request, kNoCacheHeaders, static_cast<DWORD>(-1), nullptr, 0)) {
    ::OutputDebugStringA(job.url.c_str());
    return false;
  }

  DWORD status = 0;
  if (OutOfTime(job) || !QueryNumber(request, HTTP_QUERY_STATUS_CODE, status) || status != kHttpOk) return false;
  DWORD announced = 0;
  const bool hasLength = QueryNumber(request, HTTP_QUERY_CONTENT_LENGTH, announced);
  if (hasLength && announced > job.limits.maxBytes) return false;

  char buffer[kReadBufferSize] = {};
  for (;;) {
    // Read only what has arrived: a read of a whole buffer waits until the
    // buffer is full, which a server sending a byte now and then never
    // makes it, and not every platform lets a closed handle end that wait.
    DWORD available = 0;
    if (OutOfTime(job) || !::InternetQueryDataAvailable(request, &available, 0, 0)) return false;
    if (available == 0) break;
    DWORD read = 0;
    if (OutOfTime(job) || !::InternetReadFile(request, buffer, available < kReadBufferSize ? available : kReadBufferSize,
                                              &read)) {
      return false;
    }
    if (read == 0) break;
    if (job.body.size() + read > job.limits.maxBytes) return false;
    job.body.insert(job.body.end(), buffer, buffer + read);
    if (OutOfTime(job)) return false;
  }
  // A connection closed early ends the reads as a complete body would.
  return !hasLength || job.body.size() == announced;
}

unsigned __stdcall DownloadThreadProc(void* argument) {
  const std::unique_ptr<std::shared_ptr<DownloadJob>> owned(static_cast<std::shared_ptr<DownloadJob>*>(argument));
  DownloadJob& job = **owned;
  job.complete = Download(job);
  // The socket and the handles go now, not when the last owner lets go.
  job.handles.CloseAll();
  if (!job.complete) job.body.clear();
  return 0;
}

}  // namespace

DWORD DownloadRequestFlags() {
  // Reload from the server, never from a cache, and write nothing to the
  // user's browser cache: the body is read into memory, so no cache file is
  // needed either (asking for one would store the download after all).
  return INTERNET_FLAG_RELOAD | INTERNET_FLAG_RESYNCHRONIZE | INTERNET_FLAG_HYPERLINK | INTERNET_FLAG_NO_CACHE_WRITE;
}

std::optional<DownloadBody> DownloadWithin(const std::string& url, const DownloadLimits& limits) {
  auto job = std::make_shared<DownloadJob>();
  job->url = url;
  job->limits = limits;
  job->startTick = ::GetTickCount();

  // The worker holds its own reference, so a worker left behind never
  // touches freed memory.
  auto workerJob = std::make_unique<std::shared_ptr<DownloadJob>>(job);
  const uintptr_t thread = ::_beginthreadex(nullptr, 0, &DownloadThreadProc, workerJob.get(), 0, nullptr);
  if (thread == 0) return std::nullopt;
  workerJob.release();  // now the worker's
  const KernelHandle worker(reinterpret_cast<HANDLE>(thread));

  if (::WaitForSingleObject(worker.get(), limits.waitMs) != WAIT_OBJECT_0) {
    // Ends a blocking call of the worker at once; the worker then ends.
    job->handles.CloseAll();
    ::OutputDebugStringA(url.c_str());
    return std::nullopt;
  }
  if (!job->complete) return std::nullopt;
  return std::move(job->body);
}
