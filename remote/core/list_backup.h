#pragma once
// A copy of a list file that did not load whole, kept beside it before the
// first save goes over it.
#include <string>

#include "remote/core/list_file_system.h"

// "X.bak" for number 0, "X.<number>.bak" after it, for the list file X.
std::string BackupPathFor(const std::string& listPath, int number);

// Copies the list file to the first backup name not yet taken, so that no
// earlier backup is ever overwritten; kept receives its path. When the list
// file has gone meanwhile there is nothing to keep: 0 with kept empty. When
// the copy fails, refused receives the backup name it was refused for.
ListFileSystem::Error KeepBackup(const std::string& listPath, ListFileSystem& files, std::string& kept,
                                 std::string& refused);
