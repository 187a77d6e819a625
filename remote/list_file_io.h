#pragma once
// Loading and saving the computer list file at a path in one step, each
// with a keeper of its own (the dialog keeps one for its whole opening).
#include <string>

#include "remote/core/computer_rows.h"

// Reads the file into rows. True when the load finished, also when the file
// can't be opened or is no list file (rows untouched then); false when the
// data ended early or could not be read (rows read so far stay).
bool LoadListFile(const std::string& path, ComputerRows& rows);

// Writes rows over the file without ever leaving a partial file behind. True
// when the file holds the rows; false when they could not be written (the old
// file is kept whole).
bool SaveListFile(const std::string& path, ComputerRows& rows);

// UTF-16 text in the system's ANSI code page, as the list reader needs it.
std::string Utf16ToAnsiCodePage(const std::u16string& wide);
