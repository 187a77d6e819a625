#pragma once
#include <string>

// The drive and directory of the running executable, ending in a backslash.
// Callers append a bare file name.
std::string GetModuleDirectory();

// Whether a byte starts a double-byte character in the system's ANSI code page.
bool IsAnsiLeadByte(unsigned char c);
