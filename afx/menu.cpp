#include "afx/menu.h"

#include "afx/app.h"
#include "afx/wnd.h"

BOOL CMenu::LoadMenu(UINT resourceId) {
  DestroyMenu();
  m_hMenu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(resourceId));
  m_owned = m_hMenu != nullptr;
  return m_hMenu != nullptr;
}

BOOL CMenu::DestroyMenu() {
  HMENU menu = m_hMenu;
  const bool owned = m_owned;
  m_hMenu = nullptr;
  m_owned = false;
  if (menu == nullptr) return FALSE;
  return owned ? ::DestroyMenu(menu) : TRUE;
}

CMenu CMenu::GetSubMenu(int position) const {
  return CMenu(m_hMenu ? ::GetSubMenu(m_hMenu, position) : nullptr);
}

BOOL CMenu::SetDefaultItem(UINT item, BOOL byPosition) {
  return ::SetMenuDefaultItem(m_hMenu, item, byPosition);
}

UINT CMenu::GetMenuItemID(int position) const { return ::GetMenuItemID(m_hMenu, position); }

int CMenu::GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* rect) const {
  return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner ? owner->m_hWnd : nullptr, rect);
}
