#include "remote/core/list_backup.h"

#include "remote/core/file_errors.h"

namespace {
// Enough for years of faults; the loop must end even in a folder full of them.
constexpr int kMaxBackups = 1000;
}  // namespace

std::string BackupPathFor(const std::string& listPath, int number) {
  return number == 0 ? listPath + ".bak" : listPath + "." + std::to_string(number) + ".bak";
}

ListFileSystem::Error KeepBackup(const std::string& listPath, ListFileSystem& files, std::string& kept) {
  kept.clear();
  ListFileSystem::Error error = file_error::kFileExists;
  for (int number = 0; number < kMaxBackups; ++number) {
    const std::string candidate = BackupPathFor(listPath, number);
    error = RetryWhileBusy(files, [&] { return files.CopyToNewFile(listPath, candidate); });
    if (error == file_error::kNone) {
      kept = candidate;
      return error;
    }
    if (file_error::IsNotFound(error)) return file_error::kNone;
    if (!file_error::IsExisting(error)) return error;
  }
  return error;
}
