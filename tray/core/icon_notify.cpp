#include "tray/core/icon_notify.h"

IconNotifyAction ClassifyIconNotify(std::uintptr_t id, std::uintptr_t mouseMessage,
                                    std::uint32_t iconId, bool hasTarget) {
  if (id != iconId || !hasTarget) return IconNotifyAction::kNotOurs;
  switch (mouseMessage & 0xFFFF) {
    case kMouseRightUp:
      return IconNotifyAction::kShowMenu;
    case kMouseLeftDoubleClick:
      return IconNotifyAction::kRunDefault;
    default:
      return IconNotifyAction::kNothing;
  }
}

std::uint32_t TrayMenuResourceFor(std::uint32_t iconId) { return iconId & 0xFFFF; }
