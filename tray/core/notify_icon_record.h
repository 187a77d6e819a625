#pragma once
#include <cstddef>
#include <cstdint>

// The shell's notify-icon record in the 32-bit form that ends with the balloon
// fields, and the numbers that go into it. Handles are 32 bits wide there.

// Messages of the notify-icon call.
constexpr std::uint32_t kNotifyAdd = 0;     // NIM_ADD
constexpr std::uint32_t kNotifyModify = 1;  // NIM_MODIFY
constexpr std::uint32_t kNotifyDelete = 2;  // NIM_DELETE

// Bits of the record's uFlags: which fields the shell is to read.
constexpr std::uint32_t kNotifyFlagMessage = 0x01;  // NIF_MESSAGE
constexpr std::uint32_t kNotifyFlagIcon = 0x02;     // NIF_ICON
constexpr std::uint32_t kNotifyFlagTip = 0x04;      // NIF_TIP
constexpr std::uint32_t kNotifyFlagInfo = 0x10;     // NIF_INFO

// Text fields and how many bytes of text each may hold before its NUL.
constexpr std::size_t kTipFieldSize = 128;
constexpr std::size_t kInfoFieldSize = 256;
constexpr std::size_t kInfoTitleFieldSize = 64;
constexpr std::size_t kTipMaxBytes = kTipFieldSize - 1;
constexpr std::size_t kInfoMaxBytes = kInfoFieldSize - 1;
constexpr std::size_t kInfoTitleMaxBytes = kInfoTitleFieldSize - 1;

// Field-for-field picture of the record, for its size and offsets only.
struct NotifyIconLayout {
  std::uint32_t cbSize;
  std::uint32_t hWnd;
  std::uint32_t uID;
  std::uint32_t uFlags;
  std::uint32_t uCallbackMessage;
  std::uint32_t hIcon;
  char szTip[kTipFieldSize];
  std::uint32_t dwState;
  std::uint32_t dwStateMask;
  char szInfo[kInfoFieldSize];
  std::uint32_t uTimeout;
  char szInfoTitle[kInfoTitleFieldSize];
  std::uint32_t dwInfoFlags;
};

// The value written to cbSize; the Windows side checks its record against it.
constexpr std::uint32_t kNotifyIconRecordSize = sizeof(NotifyIconLayout);

static_assert(kNotifyIconRecordSize == 488, "record size as the shell expects it");
static_assert(offsetof(NotifyIconLayout, szTip) == 24, "tip after the six leading fields");
static_assert(offsetof(NotifyIconLayout, szInfo) == 160, "balloon text after the state fields");
static_assert(offsetof(NotifyIconLayout, szInfoTitle) == 420, "balloon title after the time-out");
