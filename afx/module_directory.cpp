#include "afx/module_directory.h"

#include <windows.h>

#include "afx/core/module_path.h"

bool IsAnsiLeadByte(unsigned char c) { return ::IsDBCSLeadByte(c) != FALSE; }

std::string GetModuleDirectory() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return SplitModulePath(path, IsAnsiLeadByte).directory;
}
