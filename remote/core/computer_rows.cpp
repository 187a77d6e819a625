#include "remote/core/computer_rows.h"

#include <cstddef>

bool operator==(const ComputerEntry& a, const ComputerEntry& b) {
  return a.name == b.name && a.mac == b.mac && a.port == b.port;
}

int ComputerTable::Count() { return static_cast<int>(entries_.size()); }

std::string* ComputerTable::Field(int row, int column) {
  if (row < 0 || static_cast<std::size_t>(row) >= entries_.size()) return nullptr;
  ComputerEntry& entry = entries_[static_cast<std::size_t>(row)];
  switch (column) {
    case 0: return &entry.name;
    case 1: return &entry.mac;
    case 2: return &entry.port;
    default: return nullptr;
  }
}

std::string ComputerTable::GetText(int row, int column) {
  const std::string* field = Field(row, column);
  return field ? *field : std::string();
}

void ComputerTable::InsertRow(int index, const std::string& column0) {
  std::size_t at = index < 0 ? 0 : static_cast<std::size_t>(index);
  if (at > entries_.size()) at = entries_.size();
  entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at), ComputerEntry{column0, {}, {}});
}

void ComputerTable::SetText(int row, int column, const std::string& text) {
  if (std::string* field = Field(row, column)) *field = text;
}

void ComputerTable::DeleteAll() { entries_.clear(); }
