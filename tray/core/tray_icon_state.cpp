#include "tray/core/tray_icon_state.h"

#include "tray/core/notify_icon_record.h"

bool IsTrayUsable(std::uint32_t majorVersion) { return majorVersion >= 4; }

bool IsBalloonCapable(std::uint32_t platformId, std::uint32_t majorVersion) {
  return platformId == 2 && majorVersion >= 5;
}

std::uint32_t FirstAddFlags(bool balloonCapable, bool hasBalloonText) {
  std::uint32_t flags = kNotifyFlagMessage | kNotifyFlagIcon | kNotifyFlagTip;
  if (balloonCapable && hasBalloonText) flags |= kNotifyFlagInfo;
  return flags;
}

bool TrayIconState::EnableFor(std::uint32_t majorVersion) {
  m_trayUsable = IsTrayUsable(majorVersion);
  return m_trayUsable;
}

bool TrayIconState::AddFirst(std::uint32_t addFlags) {
  m_addFlags = addFlags;
  const bool ok = m_call(kNotifyAdd, addFlags);
  m_iconDeleted = m_iconHidden = m_readdPending = !ok;
  return ok;
}

void TrayIconState::OnTaskbarCreated() {
  m_readdPending = true;
  ReAddIfPending();
}

void TrayIconState::OnSettingChange(std::uint32_t action) {
  if (action != kSettingWorkArea) return;
  m_readdPending = !m_iconHidden;
  ReAddIfPending();
}

void TrayIconState::ReAddIfPending() {
  // Only a shown icon comes back; a hidden one stays away.
  if (!m_readdPending || m_iconHidden) return;
  bool ok = m_call(kNotifyAdd, m_addFlags);
  // The shell refuses to add an icon it still shows (a work-area change
  // leaves the icons in place). Marking it hidden would keep it away after
  // the next real taskbar restart, so ask whether it is still there.
  if (!ok) ok = m_call(kNotifyModify, m_addFlags);
  m_iconHidden = m_readdPending = !ok;
}

bool TrayIconState::Delete() {
  m_readdPending = false;
  if (!m_trayUsable || m_iconDeleted) return true;
  if (m_call(kNotifyDelete, 0)) {
    m_iconHidden = true;
    m_iconDeleted = true;
  }
  return m_iconDeleted;
}

bool TrayIconState::ChangeIcon() {
  if (!m_trayUsable) return false;
  return m_call(kNotifyModify, kNotifyFlagIcon);
}
