#pragma once
#include <cstdint>
#include <functional>

// What the tray icon object knows about its icon, and which notify-icon calls
// it makes on each event. The Windows side fills the rest of the record and
// performs the calls.

// One call on the icon record: set the record's uFlags to `flags`, send
// `message` (kNotifyAdd, kNotifyModify or kNotifyDelete) and answer whether
// the shell accepted it.
using NotifyIconCall = std::function<bool(std::uint32_t message, std::uint32_t flags)>;

// The shell shows notification icons from major version 4 on.
bool IsTrayUsable(std::uint32_t majorVersion);

// Balloon text needs an NT-family shell (platform id 2) from major version 5.
bool IsBalloonCapable(std::uint32_t platformId, std::uint32_t majorVersion);

// uFlags of the first add: message, icon and tip, plus the balloon text when
// the shell can show one and there is one to show.
std::uint32_t FirstAddFlags(bool balloonCapable, bool hasBalloonText);

// SPI_SETWORKAREA, the setting change after which a shown icon is re-added.
constexpr std::uint32_t kSettingWorkArea = 47;

// How long to wait before the next try of an icon the shell has not taken,
// from the time since the tries began: often while a shell that is starting
// at logon comes up, then rarely.
std::uint32_t TrayRetryPeriodMs(std::uint32_t msSinceTriesBegan);

class TrayIconState {
 public:
  explicit TrayIconState(NotifyIconCall call) : m_call(std::move(call)) {}

  // Start of InitTray: records whether the tray is usable on this system
  // (major version 4 or later). When not, InitTray stops and adds nothing.
  bool EnableFor(std::uint32_t majorVersion);

  // The first add, with the flags every later re-add reuses. Answers whether
  // the icon was added. A refused add is retried by RetryAdd and on the next
  // "TaskbarCreated"; it still counts for Delete, since a shell that timed out
  // may have put the icon up all the same.
  bool AddFirst(std::uint32_t addFlags);

  // The shell re-created the taskbar: add the icon again unless it was deleted.
  void OnTaskbarCreated();

  // One more try for an icon the shell has not taken; answers whether the
  // icon is shown afterwards.
  bool RetryAdd();
  // Whether the icon is wanted and not shown, so that RetryAdd has work.
  bool needsRetry() const { return m_trayUsable && m_wanted && m_iconHidden; }

  // A system setting changed; only a work-area change re-adds a shown icon.
  void OnSettingChange(std::uint32_t action);

  // Deletes the icon if an add was tried, and stops every later re-add;
  // answers whether it is now deleted.
  bool Delete();

  // Shows another image: the caller puts it into the record first.
  bool ChangeIcon();

  bool trayUsable() const { return m_trayUsable; }
  bool iconHidden() const { return m_iconHidden; }
  bool iconDeleted() const { return m_iconDeleted; }
  bool readdPending() const { return m_readdPending; }
  std::uint32_t addFlags() const { return m_addFlags; }

 private:
  void ReAddIfPending();

  NotifyIconCall m_call;
  bool m_trayUsable = false;
  bool m_wanted = false;  // from the first add until Delete
  bool m_iconHidden = true;
  bool m_iconDeleted = true;
  bool m_readdPending = false;
  std::uint32_t m_addFlags = 0;
};
