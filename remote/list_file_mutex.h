#pragma once
// The lock that makes the list file's read-change-write step exclusive
// across processes and logon sessions: one copy of the program runs per
// logon, and with fast user switching or a remote desktop several share the
// machine-wide list file.
#include <memory>
#include <string>

#include "remote/core/list_file_system.h"

// The mutex name for a list path: the same for every spelling of the path
// (relative, other case), different for another file.
std::string ListMutexName(const std::string& path);

// Waits for the list file's mutex and holds it until the result goes. Null
// when it can't be had (refused, or another copy held it past the wait).
std::unique_ptr<ListFileLock> LockListFile(const std::string& path);
