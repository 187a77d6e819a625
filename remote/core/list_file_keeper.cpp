#include "remote/core/list_file_keeper.h"

#include <new>
#include <utility>

#include "remote/core/computer_list_file.h"
#include "remote/core/file_errors.h"
#include "remote/core/list_backup.h"
#include "remote/core/list_file_save.h"

namespace {

ListLoadState StateAfterReading(ListReadOutcome outcome) {
  switch (outcome) {
    case ListReadOutcome::kFinished: return ListLoadState::kLoaded;
    case ListReadOutcome::kNotAList: return ListLoadState::kNotAList;
    case ListReadOutcome::kBrokeOff: break;
  }
  return ListLoadState::kIncomplete;
}

}  // namespace

ComputerListKeeper::ComputerListKeeper(ListFileSystem& files, Utf16ToAnsi toAnsi)
    : files_(files), toAnsi_(std::move(toAnsi)) {}

ListLoadResult ComputerListKeeper::Load(const std::string& path, ComputerRows& rows) {
  std::unique_ptr<ByteSource> file;
  const ListFileSystem::Error opened = RetryWhileBusy(files_, [&] {
    file.reset();
    return files_.OpenForReading(path, file);
  });
  ListLoadResult result{ListLoadState::kLoaded, opened};
  if (file_error::IsNotFound(opened)) {
    result.state = ListLoadState::kNoFile;
  } else if (opened != file_error::kNone || !file) {
    result.state = ListLoadState::kUnreadable;
  } else {
    result.state = StateAfterReading(ReadComputerList(*file, rows, toAnsi_));
  }
  keepBeforeSave_ = result.state != ListLoadState::kLoaded && result.state != ListLoadState::kNoFile;
  return result;
}

ListSaveResult ComputerListKeeper::Save(const std::string& path, ComputerRows& rows) {
  ListSaveResult result{file_error::kNone, {}};
  ListFileSystem::Bytes bytes;
  try {
    bytes = EncodeComputerList(rows);
  } catch (const std::bad_alloc&) {
    result.error = file_error::kNotEnoughMemory;
    return result;
  }
  if (keepBeforeSave_) {
    result.error = KeepBackup(path, files_, result.backup);
    if (result.error != file_error::kNone) return result;
    keepBeforeSave_ = false;
  }
  result.error = SaveListBytes(path, bytes, files_);
  return result;
}
