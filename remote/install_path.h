#pragma once
// The list file's directory as the registry records it.
#include <windows.h>

#include <string>

#include "remote/core/list_path.h"

// Reads the value "installpath" of HKEY_LOCAL_MACHINE
// "Software\Lumetra\VaroTimer" into the caller's zero-filled buffer. Returns
// the registry status: 0 on success, otherwise the error of the failed open
// or of the last query; the buffer then stays empty.
LONG ReadInstallPath(InstallPathBuffer& buffer);

// The list file's path: in the registered directory when it exists, else
// ".\varotimer.dat" in the current directory.
std::string ResolveComputerListPath();
