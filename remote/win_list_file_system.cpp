#include "remote/win_list_file_system.h"

#include "remote/win_handle.h"

namespace {
constexpr DWORD kWriteChunk = 64 * 1024;
}

ListFileSystem::WriteResult WinListFileSystem::WriteWholeFile(const std::string& path,
                                                              const std::vector<std::uint8_t>& bytes) {
  WinFileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return WriteResult::kNotCreated;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t left = bytes.size() - done;
    const DWORD ask = left < kWriteChunk ? static_cast<DWORD>(left) : kWriteChunk;
    DWORD written = 0;
    if (!::WriteFile(file.Get(), bytes.data() + done, ask, &written, nullptr) || written == 0) {
      return WriteResult::kFailed;
    }
    done += written;
  }
  // The replace must not reach the disk before the data does.
  if (!::FlushFileBuffers(file.Get())) return WriteResult::kFailed;
  if (!file.Close()) return WriteResult::kFailed;
  return WriteResult::kWritten;
}

bool WinListFileSystem::MoveOver(const std::string& source, const std::string& target) {
  return ::MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

void WinListFileSystem::RemoveFile(const std::string& path) { ::DeleteFileA(path.c_str()); }
