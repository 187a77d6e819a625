#include "afx/everyone_access.h"

EveryoneAccess::EveryoneAccess(DWORD rights) {
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  if (!::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &m_everyone)) return;
  const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + ::GetLengthSid(m_everyone);
  m_acl.resize((aclSize + sizeof(DWORD) - 1) / sizeof(DWORD));
  ACL* acl = reinterpret_cast<ACL*>(m_acl.data());
  if (::InitializeAcl(acl, aclSize, ACL_REVISION) && ::AddAccessAllowedAce(acl, ACL_REVISION, rights, m_everyone) &&
      ::InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) &&
      ::SetSecurityDescriptorDacl(&m_descriptor, TRUE, acl, FALSE)) {
    m_attributes = {sizeof(SECURITY_ATTRIBUTES), &m_descriptor, FALSE};
    m_ready = true;
  }
}

EveryoneAccess::~EveryoneAccess() {
  if (m_everyone) ::FreeSid(m_everyone);
}
