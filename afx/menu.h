#pragma once
// CMenu: a menu handle. A menu loaded from the resources is owned and
// destroyed with the object; a popup taken from it is a view that the parent
// menu destroys.
#include <windows.h>

class CWnd;

class CMenu {
 public:
  CMenu() = default;
  ~CMenu() { DestroyMenu(); }
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  // Loads menu `resourceId` from the application's resources.
  BOOL LoadMenu(UINT resourceId);
  // Destroys an owned menu; a view only forgets its handle.
  BOOL DestroyMenu();

  // The popup at `position`, as a view; its handle is null when there is none.
  CMenu GetSubMenu(int position) const;

  BOOL SetDefaultItem(UINT item, BOOL byPosition);
  UINT GetMenuItemID(int position) const;
  int GetMenuItemCount() const;
  // Shows the menu as a popup at a screen point; the chosen item reaches
  // `owner` as WM_COMMAND.
  BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* rect = nullptr) const;

  HMENU GetSafeHmenu() const { return m_hMenu; }

  HMENU m_hMenu = nullptr;

 private:
  explicit CMenu(HMENU view) : m_hMenu(view), m_owned(false) {}
  bool m_owned = false;
};
