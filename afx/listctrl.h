#pragma once
// CListCtrl: a list view control in report view, reached through its messages.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "afx/wnd.h"

class CListCtrl : public CWnd {
 public:
  int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }

  // Text of one cell; empty for a row or column that does not exist.
  std::string GetItemText(int item, int subItem) const;

  // Inserts a row with its column 0 text only; returns its index or -1.
  int InsertItem(int item, const char* text);
  BOOL SetItemText(int item, int subItem, const char* text);
  BOOL DeleteItem(int item) { return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(item))); }
  BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }

  // The next row after item (-1: from the top) that has the flags, or -1.
  int GetNextItem(int item, int flags) const {
    return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(item), MAKELPARAM(flags, 0)));
  }

  int InsertColumn(int column, const char* heading, int format, int width);
  int GetColumnWidth(int column) const {
    return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
  }

  DWORD GetExtendedStyle() const { return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
  DWORD SetExtendedStyle(DWORD style) {
    return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style)));
  }

  BOOL SetItemState(int item, UINT state, UINT mask);
  void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
};
