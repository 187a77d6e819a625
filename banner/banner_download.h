#pragma once
// One HTTP download into memory with a hard bound on the caller's wait.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using DownloadBody = std::vector<std::uint8_t>;

struct DownloadLimits {
  DWORD waitMs;           // the longest the caller waits
  std::size_t maxBytes;   // a longer body is a failure
};

// Downloads url with the agent "VAROFETCH", bypassing caches, through the
// system's proxy settings. Only a 200 answer whose whole body arrived counts;
// any other status, a short or oversized body, an error, or no complete
// answer within limits.waitMs gives nothing. The download runs on a worker
// thread: when the wait runs out its handles are closed, which ends the
// worker's blocking call, and its result is dropped, so nothing the caller
// does later can be overtaken by it.
std::optional<DownloadBody> DownloadWithin(const std::string& url, const DownloadLimits& limits);

// The flags every download's request is opened with.
DWORD DownloadRequestFlags();
