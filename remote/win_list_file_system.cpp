#include "remote/win_list_file_system.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "remote/list_file_mutex.h"
#include "remote/win_file_byte_source.h"
#include "remote/win_handle.h"

namespace {

constexpr DWORD kWriteChunk = 64 * 1024;
const char kUniquePrefix[] = "vt~";

ListFileSystem::Error LastError() {
  const DWORD error = ::GetLastError();
  return error != 0 ? error : ERROR_GEN_FAILURE;
}

// The folder part of a list path, as GetTempFileName wants it: "." for a
// bare name, "D:." for a drive's current folder.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  if (slash != std::string::npos) return path.substr(0, slash + 1);
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2) + ".";
  return ".";
}

ListFileSystem::Error SeekTo(HANDLE file, std::uint64_t offset) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(offset);
  return ::SetFilePointerEx(file, to, nullptr, FILE_BEGIN) ? 0 : LastError();
}

}  // namespace

ListFileSystem::Error WinListFileSystem::OpenForReading(const std::string& path, std::unique_ptr<ByteSource>& file) {
  auto source = std::make_unique<WinFileByteSource>(path);
  if (!source->IsOpen()) return source->OpenError();
  file = std::move(source);
  return 0;
}

ListFileSystem::Error WinListFileSystem::CopyToNewFile(const std::string& source, const std::string& target) {
  return ::CopyFileA(source.c_str(), target.c_str(), TRUE) ? 0 : LastError();
}

ListFileSystem::Error WinListFileSystem::CreateUniqueFile(const std::string& beside, std::string& created) {
  char name[MAX_PATH] = {};
  // Creates the file under a name that no file in the folder has: a second
  // copy of the program saving at the same moment gets another one.
  if (::GetTempFileNameA(FolderOf(beside).c_str(), kUniquePrefix, 0, name) == 0) return LastError();
  created = name;
  return 0;
}

ListFileSystem::Error WinListFileSystem::WriteBytes(HANDLE file, const std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const std::size_t left = size - done;
    const DWORD ask = left < kWriteChunk ? static_cast<DWORD>(left) : kWriteChunk;
    DWORD written = 0;
    if (!::WriteFile(file, data + done, ask, &written, nullptr)) return LastError();
    if (written == 0) return ERROR_WRITE_FAULT;
    done += written;
  }
  return 0;
}

ListFileSystem::Error WinListFileSystem::WriteWholeFile(const std::string& path, const Bytes& bytes) {
  WinFileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
  if (!file.IsValid()) return LastError();
  if (const Error error = WriteBytes(file.Get(), bytes.data(), bytes.size())) return error;
  // The replace must not reach the disk before the data does.
  if (!::FlushFileBuffers(file.Get())) return LastError();
  if (!file.Close()) return LastError();
  return 0;
}

ListFileSystem::Error WinListFileSystem::ReplaceKeepingAttributes(const std::string& target,
                                                                 const std::string& replacement,
                                                                 const std::string& aside) {
  const DWORD attributes = ::GetFileAttributesA(target.c_str());
  // The replace makes the aside file itself; the empty one that reserved its
  // name goes first.
  if (!aside.empty()) ::DeleteFileA(aside.c_str());
  const BOOL replaced = ::ReplaceFileA(target.c_str(), replacement.c_str(), aside.empty() ? nullptr : aside.c_str(),
                                       REPLACEFILE_WRITE_THROUGH | REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
  if (!replaced) return LastError();
  // The system's replace carries the attributes over; a replace that only
  // renames (as some file systems and emulations do) would drop them.
  if (attributes != INVALID_FILE_ATTRIBUTES && ::GetFileAttributesA(target.c_str()) != attributes) {
    ::SetFileAttributesA(target.c_str(), attributes);
  }
  return 0;
}

namespace {

ListFileSystem::Error Move(const std::string& source, const std::string& target, DWORD flags) {
  if (::MoveFileExA(source.c_str(), target.c_str(), flags | MOVEFILE_WRITE_THROUGH)) return 0;
  const ListFileSystem::Error error = ::GetLastError();
  // Some network redirectors refuse the write-through flag.
  if (error != ERROR_INVALID_PARAMETER && error != ERROR_NOT_SUPPORTED) return error;
  return ::MoveFileExA(source.c_str(), target.c_str(), flags) ? 0 : ::GetLastError();
}

}  // namespace

ListFileSystem::Error WinListFileSystem::MoveOver(const std::string& source, const std::string& target) {
  return Move(source, target, MOVEFILE_REPLACE_EXISTING);
}

ListFileSystem::Error WinListFileSystem::MoveIfAbsent(const std::string& source, const std::string& target) {
  return Move(source, target, 0);
}

ListFileSystem::Error WinListFileSystem::OverwriteInPlace(const std::string& path, const Bytes& bytes) {
  WinFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return LastError();
  LARGE_INTEGER size = {};
  if (!::GetFileSizeEx(file.Get(), &size)) return LastError();
  const auto oldSize = static_cast<std::uint64_t>(size.QuadPart);

  // Only the bytes the new content covers can be lost to a failed write:
  // keep them to put back.
  const std::size_t covered = oldSize < bytes.size() ? static_cast<std::size_t>(oldSize) : bytes.size();
  std::vector<std::uint8_t> old(covered);
  DWORD got = 0;
  if (covered > 0) {
    if (!::ReadFile(file.Get(), old.data(), static_cast<DWORD>(covered), &got, nullptr)) return LastError();
    if (got != covered) return ERROR_READ_FAULT;
  }

  // The new bytes reach the disk before the end is cut, so a failure never
  // takes bytes that were not kept.
  Error error = SeekTo(file.Get(), 0);
  if (!error) error = WriteBytes(file.Get(), bytes.data(), bytes.size());
  if (!error && !::FlushFileBuffers(file.Get())) error = LastError();
  if (!error && !::SetEndOfFile(file.Get())) error = LastError();
  if (!error) {
    ::FlushFileBuffers(file.Get());  // only the new length is left to write
    return file.Close() ? 0 : LastError();
  }

  // Put the old bytes back and the old end with them.
  if (!SeekTo(file.Get(), 0) && !WriteBytes(file.Get(), old.data(), old.size()) && !SeekTo(file.Get(), oldSize)) {
    ::SetEndOfFile(file.Get());
    ::FlushFileBuffers(file.Get());
  }
  return error;
}

void WinListFileSystem::RemoveFile(const std::string& path) { ::DeleteFileA(path.c_str()); }

std::vector<std::string> WinListFileSystem::FindLeftovers(const std::string& listPath) {
  std::string folder = FolderOf(listPath);
  if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
  std::vector<std::pair<ULONGLONG, std::string>> found;
  WIN32_FIND_DATAA data;
  HANDLE search = ::FindFirstFileA((folder + kUniquePrefix + "*.tmp").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return {};
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const ULONGLONG written = (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                              data.ftLastWriteTime.dwLowDateTime;
    found.emplace_back(written, folder + data.cFileName);
  } while (::FindNextFileA(search, &data));
  ::FindClose(search);
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<std::string> paths;
  for (const auto& file : found) paths.push_back(file.second);
  return paths;
}

std::unique_ptr<ListFileLock> WinListFileSystem::LockList(const std::string& path) { return LockListFile(path); }

void WinListFileSystem::Pause(unsigned milliseconds) { ::Sleep(milliseconds); }
