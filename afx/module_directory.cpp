#include "afx/module_directory.h"

#include <windows.h>

#include <cstdlib>

std::string GetModuleDirectory() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  char drive[_MAX_DRIVE] = {};
  char dir[_MAX_DIR] = {};
  _splitpath(path, drive, dir, nullptr, nullptr);
  return std::string(drive) + dir;
}
