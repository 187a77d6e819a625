#pragma once
// A security descriptor for a named object that the copies of the program in
// every logon session share: its access list lets Everyone have the given
// rights on it and nothing more, so another user's copy can open what this
// one made, but cannot change its access list.
#include <windows.h>

#include <vector>

class EveryoneAccess {
 public:
  explicit EveryoneAccess(DWORD rights);
  ~EveryoneAccess();
  EveryoneAccess(const EveryoneAccess&) = delete;
  EveryoneAccess& operator=(const EveryoneAccess&) = delete;

  // Null where the descriptor could not be made (or on a system without
  // security): the creator's default rights then.
  SECURITY_ATTRIBUTES* attributes() { return m_ready ? &m_attributes : nullptr; }

 private:
  PSID m_everyone = nullptr;
  std::vector<DWORD> m_acl;  // an access list is DWORD-aligned, and stays where the descriptor points
  SECURITY_DESCRIPTOR m_descriptor = {};
  SECURITY_ATTRIBUTES m_attributes = {};
  bool m_ready = false;
};
