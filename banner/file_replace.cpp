#include "banner/file_replace.h"

#include "afx/handles.h"

namespace {

constexpr char kTempPrefix[] = "ban";

bool WriteAndFlush(const char* path, const std::uint8_t* data, DWORD size) {
  // No sharing: nobody else writes it between our write and the move.
  const KernelHandle file(
      ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.get(), data, size, &written, nullptr) && written == size &&
         ::FlushFileBuffers(file.get());
}

}  // namespace

bool ReplaceFileContents(const std::string& path, const std::uint8_t* data, DWORD size) {
  const std::string::size_type slash = path.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
  // Beside the target, so that the move is a rename on one volume.
  char temp[MAX_PATH] = {};
  if (::GetTempFileNameA(folder.c_str(), kTempPrefix, 0, temp) == 0) return false;
  if (WriteAndFlush(temp, data, size) &&
      ::MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  ::DeleteFileA(temp);
  return false;
}
