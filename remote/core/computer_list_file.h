#pragma once
#include <cstdint>
#include <vector>

#include "remote/core/archive_string.h"
#include "remote/core/byte_source.h"
#include "remote/core/computer_rows.h"

// The computer list file "varotimer.dat": the archive string "PMS", a signed
// 32-bit count, then name, MAC text and port text of each row as archive
// strings, all little-endian.

// The whole file for the rows, top row first.
std::vector<std::uint8_t> EncodeComputerList(ComputerRows& rows);

// Reads an opened list file into rows. Returns true when it finished, also
// when the header is not "PMS" (rows untouched); false when the data ended
// early or could not be read, in which case rows already removed, inserted
// or set stay so. A file that can't be opened is the caller's business: the
// dialog then leaves the rows alone and counts that as finished.
//
// After the header the rows are removed, then groups (a count and its rows)
// are read while the archive buffer still holds unread bytes. Each group's
// rows are inserted from index 0 on, above those read before.
[[nodiscard]] bool LoadComputerList(ByteSource& file, ComputerRows& rows, const Utf16ToAnsi& toAnsi);

// The same load, telling a file with another header apart from one that was
// read to its end.
enum class ListReadOutcome {
  kFinished,  // read to the end
  kNotAList,  // a header other than "PMS": rows untouched
  kBrokeOff,  // ended early or failed to read: rows as far as they got
};
[[nodiscard]] ListReadOutcome ReadComputerList(ByteSource& file, ComputerRows& rows, const Utf16ToAnsi& toAnsi);
