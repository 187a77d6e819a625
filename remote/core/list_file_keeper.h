#pragma once
// The computer list file as one opening of the dialog uses it: loaded once,
// saved after every change, and never lost because a load fell short.
#include <string>

#include "remote/core/archive_string.h"
#include "remote/core/computer_rows.h"
#include "remote/core/list_file_system.h"

enum class ListLoadState {
  kLoaded,      // read whole
  kNoFile,      // not there yet (a first start): the list stays empty
  kUnreadable,  // there, but could not be opened: rows untouched
  kNotAList,    // a header other than "PMS": rows untouched
  kIncomplete,  // ended early or failed to read: rows as far as they got
};

struct ListLoadResult {
  ListLoadState state;
  ListFileSystem::Error error;  // why the file could not be opened
};

struct ListSaveResult {
  ListFileSystem::Error error;  // 0 when the file holds the rows
  std::string backup;           // the copy of the old file made first, if any
};

class ComputerListKeeper {
 public:
  ComputerListKeeper(ListFileSystem& files, Utf16ToAnsi toAnsi);

  // Reads the file into rows. A busy file is tried again for about a second.
  ListLoadResult Load(const std::string& path, ComputerRows& rows);

  // Writes rows to the file. Before the first save over a file that did not
  // load whole, its bytes are copied to a backup; when that copy can't be
  // made, nothing is written.
  ListSaveResult Save(const std::string& path, ComputerRows& rows);

 private:
  ListFileSystem& files_;
  Utf16ToAnsi toAnsi_;
  bool keepBeforeSave_ = false;
};
