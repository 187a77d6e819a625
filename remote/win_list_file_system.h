#pragma once
// The list file's writes on the Windows file system: the bytes go to a file
// that is flushed to the disk, which then replaces the list file in one step.
#include <windows.h>

#include "remote/core/list_file_save.h"

class WinListFileSystem : public ListFileSystem {
 public:
  WriteResult WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) override;
  bool MoveOver(const std::string& source, const std::string& target) override;
  void RemoveFile(const std::string& path) override;
};
