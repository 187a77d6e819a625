#include "remote/core/list_backup.h"

#include "remote/core/file_errors.h"
#include "remote/core/list_path.h"

namespace {
// Enough for years of faults; the loop must end even in a folder full of
// them. The list path leaves room for the longest name (".999.bak").
constexpr int kMaxBackups = 1000;

// Whether the list file is there, asked of the file itself: a copy that
// answers "not found" may mean its target's name, not its source.
bool ListGone(const std::string& listPath, ListFileSystem& files) {
  std::unique_ptr<ByteSource> file;
  return file_error::IsNotFound(OpenRetryingWhileBusy(files, listPath, file));
}

}  // namespace

std::string BackupPathFor(const std::string& listPath, int number) {
  return number == 0 ? listPath + ".bak" : listPath + "." + std::to_string(number) + ".bak";
}

ListFileSystem::Error KeepBackup(const std::string& listPath, ListFileSystem& files, std::string& kept,
                                 std::string& refused) {
  kept.clear();
  refused.clear();
  ListFileSystem::Error error = file_error::kFileExists;
  for (int number = 0; number < kMaxBackups; ++number) {
    const std::string candidate = BackupPathFor(listPath, number);
    error = RetryWhileBusy(files, [&] { return files.CopyToNewFile(listPath, candidate); });
    if (error == file_error::kNone) {
      kept = candidate;
      return error;
    }
    if (file_error::IsNotFound(error) && ListGone(listPath, files)) return file_error::kNone;
    if (!file_error::IsExisting(error)) {
      refused = candidate;
      return error;
    }
  }
  refused = BackupPathFor(listPath, kMaxBackups - 1);
  return error;
}
