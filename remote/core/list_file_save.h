#pragma once
// Writing the list file without ever leaving a partial list behind.
#include <string>

#include "remote/core/list_file_system.h"

// Writes bytes as the new content of listPath. The bytes go to a file of a
// unique name beside it, which then replaces the list file keeping its
// attributes and security. Where the folder takes no new file, or the
// replace is refused (as on some shares), the bytes are written over the
// list file in place, which puts the old bytes back when it fails part way.
// Returns 0 when the list file holds the bytes; otherwise the first error,
// and the list file's old bytes are still in it (or, should even putting
// them back fail, in the aside file the replace left: its path goes to
// leftAside).
ListFileSystem::Error SaveListBytes(const std::string& listPath, const ListFileSystem::Bytes& bytes,
                                    ListFileSystem& files, std::string* leftAside = nullptr);
