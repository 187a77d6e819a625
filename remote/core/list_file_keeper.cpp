#include "remote/core/list_file_keeper.h"

#include <new>
#include <utility>

#include "remote/core/computer_list_file.h"
#include "remote/core/file_errors.h"
#include "remote/core/list_backup.h"
#include "remote/core/list_file_save.h"

namespace {

// Another copy's replace leaves no list file for the moment between moving
// the old one aside and moving the new one in.
constexpr int kAbsentRetries = 5;
constexpr unsigned kAbsentPauseMs = 100;

ListLoadState StateAfterReading(ListReadOutcome outcome) {
  switch (outcome) {
    case ListReadOutcome::kFinished: return ListLoadState::kLoaded;
    case ListReadOutcome::kNotAList: return ListLoadState::kNotAList;
    case ListReadOutcome::kBrokeOff: break;
  }
  return ListLoadState::kIncomplete;
}

bool LoadedWhole(ListLoadState state) { return state == ListLoadState::kLoaded || state == ListLoadState::kNoFile; }

}  // namespace

ComputerListKeeper::ComputerListKeeper(ListFileSystem& files, Utf16ToAnsi toAnsi)
    : files_(files), toAnsi_(std::move(toAnsi)) {}

ListLoadResult ComputerListKeeper::Load(const std::string& path, ComputerRows& rows) {
  const std::unique_ptr<ListFileLock> lock = files_.LockList(path);
  ListLoadResult result = Read(path, rows);
  // Every copy that takes the lock replaces the file only while holding it.
  for (int retry = 0; !lock && retry < kAbsentRetries && result.state == ListLoadState::kNoFile; ++retry) {
    files_.Pause(kAbsentPauseMs);
    result = Read(path, rows);
  }
  // Under the lock no other copy's save is under way: a list found aside
  // is one that a save left there.
  if (lock && result.state == ListLoadState::kNoFile) result = Recover(path, rows);
  keepBeforeSave_ = !LoadedWhole(result.state);
  return result;
}

ListLoadResult ComputerListKeeper::Recover(const std::string& path, ComputerRows& rows) {
  const ListLoadResult none{ListLoadState::kNoFile, file_error::kFileNotFound};
  std::vector<std::string> leftovers;
  try {
    leftovers = files_.FindLeftovers(path);
  } catch (const std::bad_alloc&) {
    return none;
  }
  for (const std::string& leftover : leftovers) {
    ComputerTable found;
    if (Read(leftover, found).state != ListLoadState::kLoaded || found.Count() == 0) continue;
    ListLoadResult result{ListLoadState::kLoaded, file_error::kNone, leftover};
    // Back in its place, it is the list again; where it can't move, it is
    // read from where it is, and the next save writes the list file.
    if (RetryWhileBusy(files_, [&] { return files_.MoveIfAbsent(leftover, path); }) == file_error::kNone) {
      const ListLoadResult moved = Read(path, rows);
      result.state = moved.state;
      result.error = moved.error;
    } else {
      SetRows(rows, found.Entries());
      known_ = {ListFingerprint::Kind::kAbsent, 0, 0};
    }
    return result;
  }
  known_ = {ListFingerprint::Kind::kAbsent, 0, 0};
  return none;
}

ListLoadResult ComputerListKeeper::Read(const std::string& path, ComputerRows& rows) {
  std::unique_ptr<ByteSource> file;
  const ListFileSystem::Error opened = OpenRetryingWhileBusy(files_, path, file);
  ListLoadResult result{ListLoadState::kLoaded, opened};
  if (file_error::IsNotFound(opened)) {
    result.state = ListLoadState::kNoFile;
    known_ = {ListFingerprint::Kind::kAbsent, 0, 0};
  } else if (opened != file_error::kNone || !file) {
    result.state = ListLoadState::kUnreadable;
    known_ = {ListFingerprint::Kind::kUnknown, 0, 0};
  } else {
    FingerprintingSource source(*file);
    result.state = StateAfterReading(ReadComputerList(source, rows, toAnsi_));
    std::uint64_t unread = 0;
    known_ = source.Finish(unread);
    // The reader stops where its buffer ran empty between two groups; bytes
    // after that are data it never looked at.
    if (result.state == ListLoadState::kLoaded && unread > 0) result.state = ListLoadState::kIncomplete;
  }
  return result;
}

ListFileSystem::Error ComputerListKeeper::ReadFingerprint(const std::string& path, ListFingerprint& now) {
  std::unique_ptr<ByteSource> file;
  const ListFileSystem::Error opened = OpenRetryingWhileBusy(files_, path, file);
  if (file_error::IsNotFound(opened)) {
    now = {ListFingerprint::Kind::kAbsent, 0, 0};
    return file_error::kNone;
  }
  if (opened != file_error::kNone) return opened;
  if (!file) return file_error::kReadFault;
  FingerprintingSource source(*file);
  std::uint64_t unread = 0;
  now = source.Finish(unread);
  return now.kind == ListFingerprint::Kind::kPresent ? file_error::kNone : file_error::kReadFault;
}

ListFileSystem::Error ComputerListKeeper::Reread(const std::string& path, ComputerRows& rows,
                                                const ListChange& change, ListSaveResult& result) {
  // Unreadable at opening, the window promised a backup before the first
  // save; that stands, and the list read now is no news of another copy.
  const bool knewTheFile = known_.kind != ListFingerprint::Kind::kUnknown;
  ComputerTable fresh;
  const ListLoadResult again = Read(path, fresh);
  if (again.state != ListLoadState::kLoaded) {
    // What the other copy left did not load whole: it goes to a backup, and
    // the rows this copy holds are written.
    keepBeforeSave_ = again.state != ListLoadState::kNoFile;
    return file_error::kNone;
  }
  try {
    std::vector<ComputerEntry> entries = fresh.Entries();
    result.changeMade = ApplyChange(entries, change);
    SetRows(rows, entries);
  } catch (const std::bad_alloc&) {
    return file_error::kNotEnoughMemory;
  }
  result.reread = knewTheFile;
  if (knewTheFile) keepBeforeSave_ = false;
  return file_error::kNone;
}

ListSaveResult ComputerListKeeper::Save(const std::string& path, ComputerRows& rows, const ListChange& change) {
  ListSaveResult result;
  const std::unique_ptr<ListFileLock> lock = files_.LockList(path);
  if (known_.kind != ListFingerprint::Kind::kUnchecked) {
    ListFingerprint now;
    // Unless it is known what the file holds, writing could discard it.
    result.error = ReadFingerprint(path, now);
    if (result.error != file_error::kNone) return result;
    // A file gone meanwhile leaves only these rows to write.
    if (now.kind == ListFingerprint::Kind::kPresent && !SameFile(now, known_)) {
      result.error = Reread(path, rows, change, result);
      if (result.error != file_error::kNone) {
        known_ = {ListFingerprint::Kind::kStale, 0, 0};
        return result;
      }
    }
  }
  ListFileSystem::Bytes bytes;
  try {
    bytes = EncodeComputerList(rows);
  } catch (const std::bad_alloc&) {
    result.error = file_error::kNotEnoughMemory;
    return result;
  }
  if (keepBeforeSave_) {
    result.error = KeepBackup(path, files_, result.backup, result.backupRefused);
    if (result.error != file_error::kNone) return result;
    keepBeforeSave_ = false;
  }
  result.error = SaveListBytes(path, bytes, files_, &result.leftAside);
  if (result.error == file_error::kNone) {
    known_ = FingerprintOf(bytes);
  } else if (result.reread) {
    // The caller puts back the rows it had; the next save must read the
    // other copy's file again rather than write over it.
    known_ = {ListFingerprint::Kind::kStale, 0, 0};
  }
  return result;
}
