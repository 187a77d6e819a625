#pragma once
#include <string>
#include <utility>
#include <vector>

// One remote computer, its three texts in list-column order.
struct ComputerEntry {
  std::string name;  // column 0
  std::string mac;   // column 1, six parts joined with "-"
  std::string port;  // column 2, decimal text
};

bool operator==(const ComputerEntry& a, const ComputerEntry& b);

// The rows that hold the list. On Windows they are the dialog's list control;
// the list file is read into and written from them through these operations.
class ComputerRows {
 public:
  virtual ~ComputerRows() = default;
  virtual int Count() = 0;
  virtual std::string GetText(int row, int column) = 0;
  // Inserts a row at index with its column 0 text; the other columns empty.
  virtual void InsertRow(int index, const std::string& column0) = 0;
  virtual void SetText(int row, int column, const std::string& text) = 0;
  virtual void DeleteAll() = 0;
};

// Rows kept in memory, for the tools and tests. Out-of-range rows and columns
// read as empty and ignore writes; an insert past the end appends, as a list
// control does.
class ComputerTable : public ComputerRows {
 public:
  ComputerTable() = default;
  explicit ComputerTable(std::vector<ComputerEntry> entries) : entries_(std::move(entries)) {}

  int Count() override;
  std::string GetText(int row, int column) override;
  void InsertRow(int index, const std::string& column0) override;
  void SetText(int row, int column, const std::string& text) override;
  void DeleteAll() override;

  const std::vector<ComputerEntry>& Entries() const { return entries_; }

 private:
  std::string* Field(int row, int column);

  std::vector<ComputerEntry> entries_;
};

// The rows' texts, top row first: what the list held before a change.
std::vector<ComputerEntry> CopyRows(ComputerRows& rows);

// Makes rows hold exactly entries, in order.
void SetRows(ComputerRows& rows, const std::vector<ComputerEntry>& entries);
