#include "afx/listctrl.h"

#include <algorithm>
#include <vector>

std::string CListCtrl::GetItemText(int item, int subItem) const {
  // The control does not tell a text's length, and what the ANSI message
  // answers is not a byte count where the text is kept as UTF-16 (a
  // double-byte character is one there). The terminating zero is: grow the
  // buffer until the text ends well inside it, as a cut may drop half a
  // double-byte character and leave the text one byte short of full.
  std::vector<char> buffer(256);
  for (;;) {
    std::fill(buffer.begin(), buffer.end(), '\0');
    LVITEMA lvi = {};
    lvi.iSubItem = subItem;
    lvi.pszText = buffer.data();
    lvi.cchTextMax = static_cast<int>(buffer.size());
    SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi));
    const auto length = static_cast<std::size_t>(std::find(buffer.begin(), buffer.end(), '\0') - buffer.begin());
    if (length + 2 < buffer.size()) return std::string(buffer.data(), length);
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
