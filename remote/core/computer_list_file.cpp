#include "remote/core/computer_list_file.h"

#include <cstring>
#include <new>
#include <string>

#include "remote/core/archive_reader.h"

namespace {

const char kHeader[] = "PMS";
constexpr int kColumns = 3;

// The header is compared as a C string: up to its first zero byte.
bool IsListHeader(const std::string& text) {
  return std::strcmp(text.c_str(), kHeader) == 0;
}

bool ReadGroup(ArchiveReader& in, ComputerRows& rows, const Utf16ToAnsi& toAnsi) {
  std::int32_t count = 0;
  if (!in.ReadI32(count)) return false;
  std::string text;
  for (std::int32_t i = 0; i < count; ++i) {
    if (!ReadArchiveString(in, toAnsi, text)) return false;
    rows.InsertRow(i, text);
    for (int column = 1; column < kColumns; ++column) {
      if (!ReadArchiveString(in, toAnsi, text)) return false;
      rows.SetText(i, column, text);
    }
  }
  return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeComputerList(ComputerRows& rows) {
  std::vector<std::uint8_t> out;
  AppendArchiveString(out, kHeader);
  const int count = rows.Count();
  const auto rawCount = static_cast<std::uint32_t>(count);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(rawCount >> (8 * i)));
  for (int row = 0; row < count; ++row) {
    for (int column = 0; column < kColumns; ++column) AppendArchiveString(out, rows.GetText(row, column));
  }
  return out;
}

ListReadOutcome ReadComputerList(ByteSource& file, ComputerRows& rows, const Utf16ToAnsi& toAnsi) {
  try {
    ArchiveReader in(file);
    std::string header;
    if (!ReadArchiveString(in, toAnsi, header)) return ListReadOutcome::kBrokeOff;
    if (!IsListHeader(header)) return ListReadOutcome::kNotAList;
    rows.DeleteAll();
    // Tested only between groups, and on the buffer, not on the file.
    while (!in.BufferEmpty()) {
      if (!ReadGroup(in, rows, toAnsi)) return ListReadOutcome::kBrokeOff;
    }
    return ListReadOutcome::kFinished;
  } catch (const std::bad_alloc&) {
    return ListReadOutcome::kBrokeOff;
  }
}

bool LoadComputerList(ByteSource& file, ComputerRows& rows, const Utf16ToAnsi& toAnsi) {
  return ReadComputerList(file, rows, toAnsi) != ListReadOutcome::kBrokeOff;
}
