#pragma once
// The list control's rows as the computer list's row operations, so that the
// list file is read straight into the control and written from it.
#include "afx/listctrl.h"
#include "remote/core/computer_rows.h"

class ListCtrlRows : public ComputerRows {
 public:
  explicit ListCtrlRows(CListCtrl& list) : m_list(list) {}

  int Count() override { return m_list.GetItemCount(); }
  std::string GetText(int row, int column) override { return m_list.GetItemText(row, column); }
  void InsertRow(int index, const std::string& column0) override { m_list.InsertItem(index, column0.c_str()); }
  void SetText(int row, int column, const std::string& text) override {
    m_list.SetItemText(row, column, text.c_str());
  }
  void DeleteAll() override { m_list.DeleteAllItems(); }

 private:
  CListCtrl& m_list;
};
