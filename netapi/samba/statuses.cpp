#include "netapi/samba/statuses.h"

#include <array>

namespace corvane::netapi::samba {
namespace {

// Samba statuses as measured against Samba 4.17 (Windows error numbers that
// SAMR's NT statuses map to).
constexpr NET_API_STATUS kSambaNoneMapped = 1332;     // NT_STATUS_NONE_MAPPED
constexpr NET_API_STATUS kSambaUserExists = 1316;     // ERROR_USER_EXISTS
constexpr NET_API_STATUS kSambaGroupExists = 1318;    // ERROR_GROUP_EXISTS
constexpr NET_API_STATUS kSambaMemberInGroup = 1320;  // ERROR_MEMBER_IN_GROUP
constexpr NET_API_STATUS kSambaMemberNotInGroup = 1321;
constexpr NET_API_STATUS kSambaNoSuchUser = 1317;   // ERROR_NO_SUCH_USER
constexpr NET_API_STATUS kSambaNoSuchGroup = 1319;  // ERROR_NO_SUCH_GROUP
constexpr NET_API_STATUS kSambaNotFound = 1168;     // ERROR_NOT_FOUND
constexpr NET_API_STATUS kSambaPasswordRestriction = 1325;

struct Translation {
  NET_API_STATUS samba;
  Subject subject;
  NET_API_STATUS platform;
};

constexpr std::array kTranslations{
    Translation{kSambaNoneMapped, Subject::kUser, NERR_UserNotFound},
    Translation{kSambaNoSuchUser, Subject::kUser, NERR_UserNotFound},
    Translation{kSambaUserExists, Subject::kUser, NERR_UserExists},
    Translation{kSambaPasswordRestriction, Subject::kUser,
                NERR_PasswordTooShort},
    // A new user whose name a group already has.
    Translation{kSambaGroupExists, Subject::kUser, NERR_GroupExists},
    Translation{kSambaNoneMapped, Subject::kGroup, NERR_GroupNotFound},
    Translation{kSambaNoSuchGroup, Subject::kGroup, NERR_GroupNotFound},
    Translation{kSambaGroupExists, Subject::kGroup, NERR_GroupExists},
    Translation{kSambaUserExists, Subject::kGroup, NERR_UserExists},
    // Membership calls: libnetapi already names a missing group (2220) or
    // user (2221) itself; a name that resolves to nothing at all is taken
    // as the group, which is looked up first.
    Translation{kSambaNoneMapped, Subject::kGroupMember, NERR_GroupNotFound},
    Translation{kSambaMemberInGroup, Subject::kGroupMember, NERR_UserInGroup},
    Translation{kSambaNoneMapped, Subject::kGroupNonMember, NERR_GroupNotFound},
    Translation{kSambaMemberNotInGroup, Subject::kGroupNonMember,
                NERR_UserNotInGroup},
    Translation{kSambaNotFound, Subject::kGroupNonMember, NERR_UserNotInGroup},
};

}  // namespace

NET_API_STATUS ToPlatformStatus(NET_API_STATUS samba_status, Subject subject) {
  for (const Translation& t : kTranslations) {
    if (t.samba == samba_status && t.subject == subject) return t.platform;
  }
  return samba_status;
}

}  // namespace corvane::netapi::samba
