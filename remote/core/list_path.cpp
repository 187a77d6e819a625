#include "remote/core/list_path.h"

#include <cstring>

const char kDefaultListPath[] = ".\\varotimer.dat";
const char kListFileName[] = "varotimer.dat";

void CopyInstallPathText(const std::uint8_t* data, std::size_t dataSize, InstallPathBuffer& buffer) {
  buffer.fill('\0');
  if (data == nullptr) return;
  const std::size_t limit = dataSize < buffer.size() - 1 ? dataSize : buffer.size() - 1;
  for (std::size_t i = 0; i < limit && data[i] != 0; ++i) buffer[i] = static_cast<char>(data[i]);
}

std::string ResolveListPath(const InstallPathBuffer& installPath,
                            const std::function<bool(const std::string&)>& isExistingDirectory) {
  // The buffer may arrive without a zero; its text never runs past it.
  const void* zero = std::memchr(installPath.data(), '\0', installPath.size());
  const std::size_t length =
      zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - installPath.data()) : installPath.size();
  const std::string directory(installPath.data(), length);

  // An empty buffer means no value was found; it never names a directory.
  if (directory.empty() || !isExistingDirectory || !isExistingDirectory(directory)) return kDefaultListPath;
  std::string path = directory + '\\' + kListFileName;
  if (path.size() + kLongestBackupSuffix + 1 > kMaxPathBytes) return kDefaultListPath;
  return path;
}
