// Checks of the controller's decoded replies before anything in them is
// read. Samba's decoder accepts replies that count entries they do not
// carry (a listing of five with no array, a look-up of one name with no
// ids) or leave out a record with a success status; such a reply gets
// NT_STATUS_INVALID_NETWORK_RESPONSE instead of being read.
//
// Each check takes the call's structure as it came back (its request part
// as it was sent) and gives the call's status: the controller's own when it
// failed, the invalid-reply status when the reply is malformed, else the
// controller's (which for a listing may be STATUS_MORE_ENTRIES).
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

struct samr_EnumDomains;
struct samr_LookupDomain;
struct samr_LookupNames;
struct samr_LookupRids;
struct samr_QueryGroupInfo;
struct samr_QueryUserInfo;
struct samr_GetGroupsForUser;
struct samr_GetAliasMembership;
struct samr_QueryGroupMember;
struct samr_QueryDomainInfo;
struct samr_EnumDomainUsers;
struct samr_QueryDisplayInfo2;
struct netr_GetDcName;

// NT statuses.
uint32_t corvane_reply_enum_domains(const struct samr_EnumDomains* r);
uint32_t corvane_reply_lookup_domain(const struct samr_LookupDomain* r);
uint32_t corvane_reply_lookup_names(const struct samr_LookupNames* r);
uint32_t corvane_reply_lookup_rids(const struct samr_LookupRids* r);
uint32_t corvane_reply_query_group_info(const struct samr_QueryGroupInfo* r);
uint32_t corvane_reply_query_user_info(const struct samr_QueryUserInfo* r);
uint32_t corvane_reply_groups_for_user(const struct samr_GetGroupsForUser* r);
uint32_t corvane_reply_alias_membership(
    const struct samr_GetAliasMembership* r);
uint32_t corvane_reply_group_members(const struct samr_QueryGroupMember* r);
uint32_t corvane_reply_query_domain_info(const struct samr_QueryDomainInfo* r);
uint32_t corvane_reply_enum_users(const struct samr_EnumDomainUsers* r);
uint32_t corvane_reply_display_info(const struct samr_QueryDisplayInfo2* r);
// Netlogon answers with a platform status; so does this check.
uint32_t corvane_reply_dc_name(const struct netr_GetDcName* r);

#ifdef __cplusplus
}
#endif
