#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "remote/core/computer_rows.h"

// File operations the list save needs. The Windows implementation writes
// with CreateFile/WriteFile/FlushFileBuffers and replaces with MoveFileExA
// (MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH).
class ListFileSystem {
 public:
  enum class WriteResult {
    kWritten,     // every byte written and flushed to the disk
    kNotCreated,  // the file could not be created; nothing was written
    kFailed,      // created, but writing or flushing failed
  };

  virtual ~ListFileSystem() = default;
  // Creates path, or truncates it, and writes bytes to it.
  virtual WriteResult WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) = 0;
  // Puts source in the place of target in one step, target existing or not.
  virtual bool MoveOver(const std::string& source, const std::string& target) = 0;
  virtual void RemoveFile(const std::string& path) = 0;
};

// The temporary file a save writes first: in the list file's directory, its
// name's extension changed to ".tmp", so the path gets no longer.
std::string TemporaryPathFor(const std::string& listPath);

// Writes the rows to listPath without ever leaving a partial list behind: the
// bytes go to the temporary file, which then replaces the list file. When
// anything fails the old list file stays as it was and the temporary file is
// removed. Returns false when writing or replacing failed, true otherwise,
// also when the temporary file could not be created (nothing written).
bool SaveComputerList(const std::string& listPath, ComputerRows& rows, ListFileSystem& files);
