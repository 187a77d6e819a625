#pragma once
// The program's icon in the notification area.
#include "afx/wnd.h"

class CSystemTray : public CWnd {
 public:
  CSystemTray();
  ~CSystemTray() override;

  BOOL InitTray(CWnd* parent, UINT callbackMessage, const char* tip, HICON icon, UINT id,
                const char* balloonText, const char* balloonTitle, DWORD balloonIconFlags,
                UINT balloonTimeoutSeconds);
  BOOL DeleteTrayIcon();
  virtual LRESULT OnIconNotify(WPARAM id, LPARAM mouseMessage);
};
