#pragma once
// The file operations the computer list's load and save are made of. Windows
// plugs in its file functions; the tests plug in files in memory with faults.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "remote/core/byte_source.h"

// Held while one copy of the program reads, changes and writes the list;
// released when destroyed.
class ListFileLock {
 public:
  virtual ~ListFileLock() = default;
};

class ListFileSystem {
 public:
  // 0 on success, otherwise the system's error number (see file_errors.h).
  using Error = unsigned long;
  using Bytes = std::vector<std::uint8_t>;

  virtual ~ListFileSystem() = default;

  virtual Error OpenForReading(const std::string& path, std::unique_ptr<ByteSource>& file) = 0;
  // Copies source to a new file target; kFileExists when target is there already.
  virtual Error CopyToNewFile(const std::string& source, const std::string& target) = 0;
  // Creates an empty file with a name no other file has, in the folder of
  // `beside`, and stores its path in created.
  virtual Error CreateUniqueFile(const std::string& beside, std::string& created) = 0;
  // Truncates path, writes bytes and flushes them to the disk.
  virtual Error WriteWholeFile(const std::string& path, const Bytes& bytes) = 0;
  // Puts replacement in the place of target, which keeps its attributes and
  // security, and moves the old target to aside. Answers as the system's
  // replace does: kUnableToMoveReplacement2 means that target is gone, its
  // old bytes are at aside and replacement is still where it was; any other
  // failure leaves both files where they were.
  virtual Error ReplaceKeepingAttributes(const std::string& target, const std::string& replacement,
                                         const std::string& aside) = 0;
  // Renames source to target, replacing target when it exists.
  virtual Error MoveOver(const std::string& source, const std::string& target) = 0;
  // Renames source to target only where no target exists (kAlreadyExists).
  virtual Error MoveIfAbsent(const std::string& source, const std::string& target) = 0;
  // Writes bytes over the existing file path without truncating it first,
  // then cuts it to their length. When that fails part way, what was
  // overwritten is put back.
  virtual Error OverwriteInPlace(const std::string& path, const Bytes& bytes) = 0;
  virtual void RemoveFile(const std::string& path) = 0;
  // The files a save's replace makes beside the list file (its temporary
  // and aside files), newest first: where an old list is left when a
  // replace stopped half way and nothing could be moved back.
  virtual std::vector<std::string> FindLeftovers(const std::string& listPath) = 0;
  // Makes the list file's read-change-write step exclusive against every
  // other copy of the program, in every logon session, until the lock is
  // destroyed. Null when no such lock can be had: then the check before
  // each save still keeps what another copy saved, only not against a save
  // at the very same moment.
  virtual std::unique_ptr<ListFileLock> LockList(const std::string& path) = 0;
  // Waits before the next try of a busy file.
  virtual void Pause(unsigned milliseconds) = 0;
};

// Runs attempt again while it answers that another program holds the file,
// for about a second in all; returns the last answer.
ListFileSystem::Error RetryWhileBusy(ListFileSystem& files, const std::function<ListFileSystem::Error()>& attempt);

// Opens path for reading, tried again while another program holds it.
ListFileSystem::Error OpenRetryingWhileBusy(ListFileSystem& files, const std::string& path,
                                            std::unique_ptr<ByteSource>& file);
