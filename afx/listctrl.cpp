#include "afx/listctrl.h"

#include <vector>

std::string CListCtrl::GetItemText(int item, int subItem) const {
  // The control does not tell a text's length: grow the buffer until the
  // text no longer fills it.
  std::vector<char> buffer(256);
  for (;;) {
    LVITEMA lvi = {};
    lvi.iSubItem = subItem;
    lvi.pszText = buffer.data();
    lvi.cchTextMax = static_cast<int>(buffer.size());
    const int copied = static_cast<int>(
        SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi)));
    if (copied < 0) return {};
    if (static_cast<size_t>(copied) < buffer.size() - 1) return std::string(buffer.data(), static_cast<size_t>(copied));
    buffer.resize(buffer.size() * 2);
  }
}

int CListCtrl::InsertItem(int item, const char* text) {
  LVITEMA lvi = {};
  lvi.mask = LVIF_TEXT;
  lvi.iItem = item;
  lvi.pszText = const_cast<char*>(text);
  return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&lvi)));
}

BOOL CListCtrl::SetItemText(int item, int subItem, const char* text) {
  LVITEMA lvi = {};
  lvi.iSubItem = subItem;
  lvi.pszText = const_cast<char*>(text);
  return static_cast<BOOL>(
      SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi)));
}

int CListCtrl::InsertColumn(int column, const char* heading, int format, int width) {
  LVCOLUMNA col = {};
  col.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  col.fmt = format;
  col.cx = width;
  col.pszText = const_cast<char*>(heading);
  col.iSubItem = column;
  return static_cast<int>(
      SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col)));
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
  LVITEMA lvi = {};
  lvi.state = state;
  lvi.stateMask = mask;
  return static_cast<BOOL>(
      SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi)));
}
