#include "remote/core/list_file_save.h"

#include <new>

#include "remote/core/computer_list_file.h"

std::string TemporaryPathFor(const std::string& listPath) {
  const std::size_t nameStart = listPath.find_last_of("\\/:") + 1;  // npos + 1 == 0
  const std::size_t dot = listPath.rfind('.');
  std::string temporary =
      (dot != std::string::npos && dot > nameStart) ? listPath.substr(0, dot) + ".tmp" : listPath + ".tmp";
  // A list file that already ends in ".tmp" must not be its own temporary.
  if (temporary == listPath) temporary = listPath.substr(0, listPath.size() - 1) + '~';
  return temporary;
}

bool SaveComputerList(const std::string& listPath, ComputerRows& rows, ListFileSystem& files) {
  std::vector<std::uint8_t> bytes;
  std::string temporary;
  try {
    bytes = EncodeComputerList(rows);
    temporary = TemporaryPathFor(listPath);
  } catch (const std::bad_alloc&) {
    return false;
  }
  switch (files.WriteWholeFile(temporary, bytes)) {
    case ListFileSystem::WriteResult::kNotCreated:
      return true;
    case ListFileSystem::WriteResult::kFailed:
      files.RemoveFile(temporary);
      return false;
    case ListFileSystem::WriteResult::kWritten:
      break;
  }
  if (!files.MoveOver(temporary, listPath)) {
    files.RemoveFile(temporary);
    return false;
  }
  return true;
}
