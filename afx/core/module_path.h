#pragma once
#include <string>

// A program's path split the way the system's path splitter does it for an
// ANSI path: the drive and directory end at the last '\\', '/' or drive
// colon, the base name at its last dot. A double-byte character is never cut:
// the second byte of 'ソ' (0x83 0x5C in code page 932) is no backslash.
struct ModulePathParts {
  std::string directory;  // drive and directory, ending in a separator; may be empty
  std::string baseName;   // file name without its extension
};

// `isLeadByte` answers whether a byte starts a double-byte character in the
// code page the path is in.
ModulePathParts SplitModulePath(const std::string& path, bool (*isLeadByte)(unsigned char));
