#pragma once
#include <string>

// The drive and directory of the running executable, ending in a backslash.
// Callers append a bare file name.
std::string GetModuleDirectory();
