#pragma once
// One decision for one scheduled second, shared by the copies of the program
// in every logon session. Where every user's copy reads the same profile,
// every session fires at the same second: a cancel in any of them cancels
// all of them, and at most one carries the action out. Each copy still runs
// its own countdown, so a copy in a session nobody looks at (a disconnected
// remote session, a switched-away user) carries out its own schedule when
// nobody cancels.
#include <cstdint>
#include <string>

#include "afx/handles.h"

class SharedFire {
 public:
  // `key` names the decision: the scheduled second (SharedFireKey).
  explicit SharedFire(const std::string& key);
  SharedFire(const SharedFire&) = delete;
  SharedFire& operator=(const SharedFire&) = delete;

  // Whether a copy in some session cancelled its countdown for this key.
  bool IsCancelled() const;
  // Tells every copy that the user cancelled.
  void Cancel();
  // Answers true for exactly one copy at a time, and only while nobody
  // cancelled. The claim holds until this process ends or Release.
  bool Claim();
  // Gives the claim up: the system refused this copy the action, and a copy
  // in another session may still be allowed it.
  void Release();
  // Whether the copy that held the claim ended without giving it up: it may
  // have acted, so no other copy takes its place.
  bool HolderEnded() const { return m_holderEnded; }

  // The object names for `key`, in the namespace shared by all sessions.
  static std::string CancelEventName(const std::string& key);
  static std::string ClaimMutexName(const std::string& key);

 private:
  KernelHandle m_cancelled;  // manual-reset event, set by a cancel
  KernelHandle m_claim;      // mutex, owned by the copy that acts
  bool m_claimed = false;
  bool m_holderEnded = false;
};

// Whether an action with these exit flags is decided across sessions: power
// off and restart end every session; a log off ends only its own, so each
// session decides its own alone.
bool SharesFire(std::uint32_t exitFlags);

// The key of the fire of `scheduledSecond` (seconds since 1970, local time).
std::string SharedFireKey(std::int64_t scheduledSecond);
