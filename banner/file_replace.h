#pragma once
// Replaces a file with new contents in one step: the bytes go to a uniquely
// named file beside it, which is then moved over it. Readers see the old
// file or the new one, never a part of either.
#include <windows.h>

#include <cstdint>
#include <string>

// True when path now holds exactly the size bytes at data. On any failure
// path is left as it was and the new file is removed.
bool ReplaceFileContents(const std::string& path, const std::uint8_t* data, DWORD size);
