#include "afx/core/module_path.h"

ModulePathParts SplitModulePath(const std::string& path, bool (*isLeadByte)(unsigned char)) {
  std::size_t nameStart = 0;             // just after the last separator
  std::size_t lastDot = std::string::npos;  // in the file name
  for (std::size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (isLeadByte(c) && i + 1 < path.size()) {
      ++i;  // the trail byte may look like any character
    } else if (c == '\\' || c == '/' || (c == ':' && i == 1)) {
      nameStart = i + 1;
      lastDot = std::string::npos;
    } else if (c == '.') {
      lastDot = i;
    }
  }
  ModulePathParts parts;
  parts.directory = path.substr(0, nameStart);
  const std::size_t nameEnd = lastDot == std::string::npos ? path.size() : lastDot;
  parts.baseName = path.substr(nameStart, nameEnd - nameStart);
  return parts;
}
