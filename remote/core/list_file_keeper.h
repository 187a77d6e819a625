#pragma once
// The computer list file as one opening of the dialog uses it: loaded once,
// saved after every change, and never lost because a load fell short or
// because another copy of the program saved the same file meanwhile.
#include <string>

#include "remote/core/archive_string.h"
#include "remote/core/computer_rows.h"
#include "remote/core/list_change.h"
#include "remote/core/list_file_system.h"
#include "remote/core/list_fingerprint.h"

enum class ListLoadState {
  kLoaded,      // read whole
  kNoFile,      // not there yet (a first start): the list stays empty
  kUnreadable,  // there, but could not be opened: rows untouched
  kNotAList,    // a header other than "PMS": rows untouched
  kIncomplete,  // ended early, failed to read, or left bytes unread: rows as far as they got
};

struct ListLoadResult {
  ListLoadState state;
  ListFileSystem::Error error;  // why the file could not be opened
  // No list file, but the old list that a save could not put back was found
  // here and read (and moved back in its place when that worked).
  std::string recoveredFrom = {};
};

struct ListSaveResult {
  ListFileSystem::Error error = 0;  // 0 when the file holds the rows
  std::string backup;               // the copy of the old file made first, if any
  std::string backupRefused;        // the backup that could not be made: nothing was written
  std::string leftAside;            // where the old list is when the save could not put it back
  // Another copy had changed the file since this one last read or wrote it:
  // the rows were read again from it and the change made on them. (A file
  // that no longer loads whole is kept in a backup instead.)
  bool reread = false;
  // False when the change could not be made on the rows read again (the
  // row it was made on is gone or changed); the rows then hold the file's.
  bool changeMade = true;
};

class ComputerListKeeper {
 public:
  ComputerListKeeper(ListFileSystem& files, Utf16ToAnsi toAnsi);

  // Reads the file into rows. A busy file is tried again for about a second;
  // a missing one briefly, when another copy may be replacing it.
  ListLoadResult Load(const std::string& path, ComputerRows& rows);

  // Writes rows, which hold change made on what this keeper last loaded or
  // saved. When another copy has changed the file since, the file is read
  // again, change is made on what it holds, and rows are set to that before
  // it is written. Before the first save over a file that did not load
  // whole, its bytes are copied to a backup; when that copy can't be made,
  // nothing is written.
  ListSaveResult Save(const std::string& path, ComputerRows& rows, const ListChange& change = {});

 private:
  // Reads path into rows and notes what the file held.
  ListLoadResult Read(const std::string& path, ComputerRows& rows);
  // Looks beside a missing list file for the old list a save left aside,
  // and reads the newest one that loads whole into rows.
  ListLoadResult Recover(const std::string& path, ComputerRows& rows);
  // What the file holds now; 0, or why it could not be read.
  ListFileSystem::Error ReadFingerprint(const std::string& path, ListFingerprint& now);
  // Brings rows up to a file that another copy changed, with change made on it.
  ListFileSystem::Error Reread(const std::string& path, ComputerRows& rows, const ListChange& change,
                               ListSaveResult& result);

  ListFileSystem& files_;
  Utf16ToAnsi toAnsi_;
  bool keepBeforeSave_ = false;
  ListFingerprint known_;  // the file as last loaded or saved
};
