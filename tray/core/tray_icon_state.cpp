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

std::uint32_t TrayRetryPeriodMs(std::uint32_t msSinceTriesBegan) {
  constexpr std::uint32_t kQuickTriesMs = 60 * 1000;
  return msSinceTriesBegan < kQuickTriesMs ? 2 * 1000 : 30 * 1000;
}

bool TrayIconState::EnableFor(std::uint32_t majorVersion) {
  m_trayUsable = IsTrayUsable(majorVersion);
  return m_trayUsable;
}

bool TrayIconState::AddFirst(std::uint32_t addFlags) {
  m_addFlags = addFlags;
  m_wanted = true;
  m_iconDeleted = false;
  const bool ok = m_call(kNotifyAdd, addFlags);
  m_iconHidden = m_readdPending = !ok;
  return ok;
}

void TrayIconState::OnTaskbarCreated() {
  m_readdPending = m_wanted;
  ReAddIfPending();
}

bool TrayIconState::RetryAdd() {
  if (!needsRetry()) return !m_iconHidden && m_wanted;
  m_readdPending = true;
  ReAddIfPending();
  return !m_iconHidden;
}

void TrayIconState::OnSettingChange(std::uint32_t action) {
  if (action != kSettingWorkArea) return;
  m_readdPending = !m_iconHidden;
  ReAddIfPending();
}

void TrayIconState::ReAddIfPending() {
  if (!m_readdPending || !m_wanted) return;
  bool ok = m_call(kNotifyAdd, m_addFlags);
  // The shell refuses to add an icon it still shows (a work-area change
  // leaves the icons in place). Marking it hidden would keep it away after
  // the next real taskbar restart, so ask whether it is still there. The same
  // question finds an icon that a timed-out add put up after all.
  if (!ok) ok = m_call(kNotifyModify, m_addFlags);
  m_iconHidden = m_readdPending = !ok;
}

bool TrayIconState::Delete() {
  m_readdPending = false;
  m_wanted = false;
  if (!m_trayUsable || m_iconDeleted) return true;
  // A refused delete of an icon never shown only means there was none.
  if (m_call(kNotifyDelete, 0) || m_iconHidden) {
    m_iconHidden = true;
    m_iconDeleted = true;
  }
  return m_iconDeleted;
}

bool TrayIconState::ChangeIcon() {
  if (!m_trayUsable) return false;
  return m_call(kNotifyModify, kNotifyFlagIcon);
}
