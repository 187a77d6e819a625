#pragma once
// The remote power-on window's message boxes about the list file and the
// wake, with the string table's texts filled in.
#include <string>

#include "remote/core/list_file_keeper.h"

// Says that the list file did not load whole, naming it; nothing for a file
// that loaded or is not there yet.
void ShowListLoadProblem(const ListLoadResult& load, const std::string& listPath);

void ShowListSaveFailed(unsigned long error, const std::string& listPath);

void ShowListBackupKept(const std::string& backupPath);

void ShowWakeSendFailed(int winsockError);
