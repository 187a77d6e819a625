#pragma once
// Reads a value of a module's version resource.
#include <windows.h>

#include <string>

// The text of the string value `name` in the version resource (number 1) of
// `module`; a null module means the program's resource module. The string
// table is the one the translation entry names when it holds exactly one
// pair, else the user's language with code page 04B0. Empty when anything is
// missing.
std::string GetVersionString(HINSTANCE module, const std::string& name);
