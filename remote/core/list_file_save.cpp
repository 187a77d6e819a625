#include "remote/core/list_file_save.h"

#include "remote/core/file_errors.h"

namespace {

using Error = ListFileSystem::Error;

Error OverwriteRetrying(const std::string& listPath, const ListFileSystem::Bytes& bytes, ListFileSystem& files) {
  return RetryWhileBusy(files, [&] { return files.OverwriteInPlace(listPath, bytes); });
}

// The replace found the list file renamed aside and could not put the new
// one in its place: finish the move, or else bring the old file back.
Error FinishInterruptedReplace(const std::string& listPath, const std::string& temporary, const std::string& aside,
                               Error error, ListFileSystem& files, std::string* leftAside) {
  if (RetryWhileBusy(files, [&] { return files.MoveOver(temporary, listPath); }) == file_error::kNone) {
    files.RemoveFile(aside);
    return file_error::kNone;
  }
  files.RemoveFile(temporary);
  // The old bytes go back only where no list is: another copy of the program
  // may have saved its own meanwhile, and that one has told its user so.
  // When the old file can't go back, it stays aside: never removed, and
  // the caller says where it is.
  const Error movedBack = RetryWhileBusy(files, [&] { return files.MoveIfAbsent(aside, listPath); });
  if (movedBack != file_error::kNone && leftAside) *leftAside = aside;
  return error;
}

}  // namespace

Error SaveListBytes(const std::string& listPath, const ListFileSystem::Bytes& bytes, ListFileSystem& files,
                    std::string* leftAside) {
  std::string temporary;
  const Error created = files.CreateUniqueFile(listPath, temporary);
  // A folder where only the list file may be written.
  if (created != file_error::kNone) {
    const Error written = OverwriteRetrying(listPath, bytes, files);
    return written == file_error::kNone ? written : created;
  }
  const Error written = files.WriteWholeFile(temporary, bytes);
  if (written != file_error::kNone) {
    // A full disk may still take the bytes in the list file's own space.
    files.RemoveFile(temporary);
    return OverwriteRetrying(listPath, bytes, files) == file_error::kNone ? file_error::kNone : written;
  }

  // Without a name for the old file, a replace that cannot move the new one
  // in has already removed the list: then only the plain rename is tried.
  std::string aside;
  const Error asideMade = files.CreateUniqueFile(listPath, aside);
  if (asideMade != file_error::kNone) aside.clear();
  const Error replaced =
      asideMade != file_error::kNone
          ? asideMade
          : RetryWhileBusy(files, [&] { return files.ReplaceKeepingAttributes(listPath, temporary, aside); });
  if (replaced == file_error::kNone) {
    if (!aside.empty()) files.RemoveFile(aside);
    return replaced;
  }
  if (replaced == file_error::kUnableToMoveReplacement2 && !aside.empty()) {
    return FinishInterruptedReplace(listPath, temporary, aside, replaced, files, leftAside);
  }
  if (!aside.empty()) files.RemoveFile(aside);
  // Held open by another program for longer than the retries: the list
  // file, or only the new one (a virus scanner reading it). One write in
  // place tells which, as it opens the list file alone: held, it fails at
  // once and the list stays as it was.
  if (file_error::IsBusy(replaced)) {
    files.RemoveFile(temporary);
    return files.OverwriteInPlace(listPath, bytes) == file_error::kNone ? file_error::kNone : replaced;
  }
  // Nothing moved: no list file yet, or a file system whose replace is
  // missing or refused. A plain rename, then the write in place.
  if (RetryWhileBusy(files, [&] { return files.MoveOver(temporary, listPath); }) == file_error::kNone) {
    return file_error::kNone;
  }
  files.RemoveFile(temporary);
  if (file_error::IsNotFound(replaced)) return replaced;
  return OverwriteRetrying(listPath, bytes, files) == file_error::kNone ? file_error::kNone : replaced;
}
