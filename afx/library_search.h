#pragma once
// The process's library search, made safe at start: a library loaded by
// name is never taken from the current folder, which for a program started
// from a shortcut or a download can be anywhere.
#include <windows.h>

using SetDllDirectoryCall = BOOL(WINAPI*)(LPCSTR);

// The system's SetDllDirectoryA (Windows XP SP1 and later), looked up at run
// time; null where the system lacks it.
SetDllDirectoryCall FindSetDllDirectory();

// SetDllDirectoryA(""): an empty folder, not null (which would restore the
// default order), takes the current folder out of the search. True when the
// system took the setting; nothing happens without the call.
bool RemoveCurrentFolderFromLibrarySearch(SetDllDirectoryCall setDllDirectory = FindSetDllDirectory());
