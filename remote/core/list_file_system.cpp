#include "remote/core/list_file_system.h"

#include "remote/core/file_errors.h"

namespace {
constexpr int kBusyRetries = 10;
constexpr unsigned kBusyPauseMs = 100;
}  // namespace

ListFileSystem::Error RetryWhileBusy(ListFileSystem& files, const std::function<ListFileSystem::Error()>& attempt) {
  ListFileSystem::Error error = attempt();
  for (int retry = 0; retry < kBusyRetries && file_error::IsBusy(error); ++retry) {
    files.Pause(kBusyPauseMs);
    error = attempt();
  }
  return error;
}

ListFileSystem::Error OpenRetryingWhileBusy(ListFileSystem& files, const std::string& path,
                                            std::unique_ptr<ByteSource>& file) {
  return RetryWhileBusy(files, [&] {
    file.reset();
    return files.OpenForReading(path, file);
  });
}
