#pragma once
#include <cstdint>

// What a notification from the tray icon asks for.
enum class IconNotifyAction {
  kNotOurs,     // another icon's id, or no window to send commands to: result 0
  kShowMenu,    // right button up: the tray menu at the cursor
  kRunDefault,  // left double click: the menu's default command
  kNothing,     // any other mouse message: result 1, no effect
};

constexpr std::uint32_t kMouseLeftDoubleClick = 0x203;  // WM_LBUTTONDBLCLK
constexpr std::uint32_t kMouseRightUp = 0x205;          // WM_RBUTTONUP

// Sorts a notification: `id` and `mouseMessage` as the shell sent them,
// `iconId` the record's uID, `hasTarget` whether a main window exists. Only
// the low 16 bits of the mouse message count.
IconNotifyAction ClassifyIconNotify(std::uintptr_t id, std::uintptr_t mouseMessage,
                                    std::uint32_t iconId, bool hasTarget);

// The tray menu's resource number: the low 16 bits of the icon's id.
std::uint32_t TrayMenuResourceFor(std::uint32_t iconId);
