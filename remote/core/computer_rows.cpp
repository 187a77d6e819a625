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

std::vector<ComputerEntry> CopyRows(ComputerRows& rows) {
  std::vector<ComputerEntry> entries;
  const int count = rows.Count();
  for (int row = 0; row < count; ++row) {
    entries.push_back({rows.GetText(row, 0), rows.GetText(row, 1), rows.GetText(row, 2)});
  }
  return entries;
}

void SetRows(ComputerRows& rows, const std::vector<ComputerEntry>& entries) {
  rows.DeleteAll();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const int row = static_cast<int>(i);
    rows.InsertRow(row, entries[i].name);
    rows.SetText(row, 1, entries[i].mac);
    rows.SetText(row, 2, entries[i].port);
  }
}
