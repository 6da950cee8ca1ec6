// libnetapi answers some failures with other numbers than the platform:
// "no such name" where the platform names the missing user or group, and
// generic SAM errors for duplicates and memberships. Callers tell statuses
// apart by the platform's numbers, so each Samba status is translated here
// according to what the call was about.
#pragma once

#include "netapi/types.h"

namespace corvane::netapi::samba {

// The platform's status for a password that the domain's policy refuses
// (length, complexity or history); not among the layer's named statuses.
inline constexpr NET_API_STATUS NERR_PasswordTooShort = 2245;

enum class Subject {
  kUser,            // calls naming one user account
  kGroup,           // calls naming one group
  kGroupMember,     // NetGroupAddUser
  kGroupNonMember,  // NetGroupDelUser
};

NET_API_STATUS ToPlatformStatus(NET_API_STATUS samba_status, Subject subject);

}  // namespace corvane::netapi::samba
