#pragma once
// The list file's operations on the Windows file system.
#include <windows.h>

#include "remote/core/list_file_system.h"

class WinListFileSystem : public ListFileSystem {
 public:
  Error OpenForReading(const std::string& path, std::unique_ptr<ByteSource>& file) override;
  Error CopyToNewFile(const std::string& source, const std::string& target) override;
  Error CreateUniqueFile(const std::string& beside, std::string& created) override;
  Error WriteWholeFile(const std::string& path, const Bytes& bytes) override;
  Error ReplaceKeepingAttributes(const std::string& target, const std::string& replacement,
                                 const std::string& aside) override;
  Error MoveOver(const std::string& source, const std::string& target) override;
  Error MoveIfAbsent(const std::string& source, const std::string& target) override;
  Error OverwriteInPlace(const std::string& path, const Bytes& bytes) override;
  void RemoveFile(const std::string& path) override;
  std::vector<std::string> FindLeftovers(const std::string& listPath) override;
  std::unique_ptr<ListFileLock> LockList(const std::string& path) override;
  void Pause(unsigned milliseconds) override;

 protected:
  // Writes size bytes at the file's current position; the one place where
  // bytes reach a file, so that tests can make it fail part way.
  virtual Error WriteBytes(HANDLE file, const std::uint8_t* data, std::size_t size);
};
