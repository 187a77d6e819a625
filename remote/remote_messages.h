#pragma once
// The remote power-on window's message boxes about the list file and the
// wake, with the string table's texts filled in.
#include <string>

#include "remote/core/list_file_keeper.h"

// Says that the list file did not load whole, naming it, or that it was
// missing and the list was found where a failed save left it; nothing for a
// file that loaded or is not there yet.
void ShowListLoadProblem(const ListLoadResult& load, const std::string& listPath);

void ShowListSaveFailed(unsigned long error, const std::string& listPath);

// Says that another copy had changed the list file, and whether this
// window's change could be made on what it held.
void ShowListChangedElsewhere(bool changeMade);

// Says that a save stopped half way left the old list at leftAside.
void ShowListLeftAside(unsigned long error, const std::string& leftAside);

// Says that the backup the save must make first was refused, naming it.
void ShowListBackupFailed(unsigned long error, const std::string& backupPath);

void ShowListBackupKept(const std::string& backupPath);

void ShowWakeSendFailed(int winsockError);
