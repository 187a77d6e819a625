#include "afx/library_search.h"

SetDllDirectoryCall FindSetDllDirectory() {
  const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  if (!kernel) return nullptr;
  return reinterpret_cast<SetDllDirectoryCall>(::GetProcAddress(kernel, "SetDllDirectoryA"));
}

bool RemoveCurrentFolderFromLibrarySearch(SetDllDirectoryCall setDllDirectory) {
  return setDllDirectory && setDllDirectory("");
}
