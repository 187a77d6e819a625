#pragma once
// The shell's notify-icon record in its 488-byte form, the one that ends with
// the balloon fields. The SDK's own record is longer when built for newer
// systems; this one is passed in its place with cbSize 488.
#include <windows.h>
#include <shellapi.h>

#include <cstddef>

#include "tray/core/notify_icon_record.h"

struct NotifyIconData488 {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  CHAR szTip[kTipFieldSize];
  DWORD dwState;
  DWORD dwStateMask;
  CHAR szInfo[kInfoFieldSize];
  UINT uTimeout;
  CHAR szInfoTitle[kInfoTitleFieldSize];
  DWORD dwInfoFlags;
};

static_assert(sizeof(NotifyIconData488) == kNotifyIconRecordSize, "488 bytes");
static_assert(offsetof(NotifyIconData488, szTip) == offsetof(NOTIFYICONDATAA, szTip), "SDK layout");
static_assert(offsetof(NotifyIconData488, uTimeout) == offsetof(NOTIFYICONDATAA, uTimeout), "SDK layout");
static_assert(offsetof(NotifyIconData488, dwInfoFlags) == offsetof(NOTIFYICONDATAA, dwInfoFlags), "SDK layout");
static_assert(kNotifyIconRecordSize == NOTIFYICONDATAA_V2_SIZE, "the SDK's name for this form");

// Sends one notify-icon message with the record.
inline BOOL NotifyIcon(DWORD message, NotifyIconData488& record) {
  return ::Shell_NotifyIconA(message, reinterpret_cast<PNOTIFYICONDATAA>(&record));
}
