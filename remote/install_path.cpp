#include "remote/install_path.h"

#include <shlwapi.h>

#include "afx/handles.h"

namespace {

const char kProductKey[] = "Software\\Lumetra\\VaroTimer";
const char kInstallPathValue[] = "installpath";

}  // namespace

LONG ReadInstallPath(InstallPathBuffer& buffer) {
  RegistryKey key;
  const LONG opened = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_ALL_ACCESS, key.receive());
  if (opened != ERROR_SUCCESS) return opened;

  BYTE data[kMaxPathBytes];
  DWORD size = 0;
  LONG status = ERROR_SUCCESS;
  // A failed query is tried once more; any value type is taken as bytes.
  for (int attempt = 0; attempt < 2; ++attempt) {
    size = sizeof(data);
    status = ::RegQueryValueExA(key.get(), kInstallPathValue, nullptr, nullptr, data, &size);
    if (status == ERROR_SUCCESS) break;
  }
  if (status == ERROR_SUCCESS) CopyInstallPathText(data, size, buffer);
  return status;
}

std::string ResolveComputerListPath() {
  InstallPathBuffer buffer{};
  ReadInstallPath(buffer);
  return ResolveListPath(buffer,
                         [](const std::string& directory) { return ::PathIsDirectoryA(directory.c_str()) != FALSE; });
}
