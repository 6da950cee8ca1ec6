#include "netapi/samba/rpc_replies.h"

#include <stdbool.h>
#include <stddef.h>
#include <talloc.h>
// clang-format off
#include <util/data_blob.h>
#include <core/ntstatus.h>
#include <core/error.h>
#include <dcerpc.h>
#include <gen_ndr/ndr_samr.h>
#include <gen_ndr/netlogon.h>
// clang-format on

// An array the reply counts entries of must be there.
static bool Carried(uint32_t count, const void* array) {
  return count == 0 || array != NULL;
}

static bool HasIds(const struct samr_Ids* ids, uint32_t count) {
  return ids->count == count && Carried(count, ids->ids);
}

static uint32_t Checked(NTSTATUS result, bool well_formed) {
  if (!NT_STATUS_IS_OK(result)) return NT_STATUS_V(result);
  return well_formed ? 0 : NT_STATUS_V(NT_STATUS_INVALID_NETWORK_RESPONSE);
}

// A listing's batch is read with more to come too.
static uint32_t CheckedBatch(NTSTATUS result, bool well_formed) {
  if (!NT_STATUS_IS_OK(result) && !NT_STATUS_EQUAL(result, STATUS_MORE_ENTRIES))
    return NT_STATUS_V(result);
  return well_formed ? NT_STATUS_V(result)
                     : NT_STATUS_V(NT_STATUS_INVALID_NETWORK_RESPONSE);
}

static bool SamArrayCarried(const struct samr_SamArray* sam) {
  return sam == NULL || Carried(sam->count, sam->entries);
}

uint32_t corvane_reply_enum_domains(const struct samr_EnumDomains* r) {
  return Checked(r->out.result, SamArrayCarried(*r->out.sam));
}

uint32_t corvane_reply_lookup_domain(const struct samr_LookupDomain* r) {
  return Checked(r->out.result, *r->out.sid != NULL);
}

uint32_t corvane_reply_lookup_names(const struct samr_LookupNames* r) {
  return Checked(r->out.result, HasIds(r->out.rids, r->in.num_names) &&
                                    HasIds(r->out.types, r->in.num_names));
}

uint32_t corvane_reply_lookup_rids(const struct samr_LookupRids* r) {
  const struct lsa_Strings* names = r->out.names;
  bool well_formed = names->count == r->in.num_rids &&
                     Carried(names->count, names->names) &&
                     HasIds(r->out.types, r->in.num_rids);
  // With every id mapped, every name is there.
  for (uint32_t i = 0; well_formed && i < names->count; ++i) {
    well_formed = names->names[i].string != NULL;
  }
  return Checked(r->out.result, well_formed);
}

uint32_t corvane_reply_query_group_info(const struct samr_QueryGroupInfo* r) {
  return Checked(r->out.result, *r->out.info != NULL);
}

uint32_t corvane_reply_query_user_info(const struct samr_QueryUserInfo* r) {
  const union samr_UserInfo* info = *r->out.info;
  bool well_formed = info != NULL;
  if (well_formed && r->in.level == UserAllInformation) {
    const struct samr_LogonHours* hours = &info->info21.logon_hours;
    well_formed = Carried(hours->units_per_week / 8, hours->bits);
  }
  return Checked(r->out.result, well_formed);
}

uint32_t corvane_reply_groups_for_user(const struct samr_GetGroupsForUser* r) {
  const struct samr_RidWithAttributeArray* groups = *r->out.rids;
  return Checked(r->out.result,
                 groups == NULL || Carried(groups->count, groups->rids));
}

uint32_t corvane_reply_alias_membership(
    const struct samr_GetAliasMembership* r) {
  return Checked(r->out.result, Carried(r->out.rids->count, r->out.rids->ids));
}

uint32_t corvane_reply_group_members(const struct samr_QueryGroupMember* r) {
  const struct samr_RidAttrArray* members = *r->out.rids;
  return Checked(
      r->out.result,
      members == NULL || (Carried(members->count, members->rids) &&
                          Carried(members->count, members->attributes)));
}

uint32_t corvane_reply_query_domain_info(const struct samr_QueryDomainInfo* r) {
  return Checked(r->out.result, *r->out.info != NULL);
}

uint32_t corvane_reply_enum_users(const struct samr_EnumDomainUsers* r) {
  return CheckedBatch(r->out.result, SamArrayCarried(*r->out.sam));
}

uint32_t corvane_reply_display_info(const struct samr_QueryDisplayInfo2* r) {
  const union samr_DispInfo* info = r->out.info;
  bool well_formed = false;
  switch (r->in.level) {
    case 1:
      well_formed = Carried(info->info1.count, info->info1.entries);
      break;
    case 2:
      well_formed = Carried(info->info2.count, info->info2.entries);
      break;
    case 3:
      well_formed = Carried(info->info3.count, info->info3.entries);
      break;
    case 4:
      well_formed = Carried(info->info4.count, info->info4.entries);
      break;
    case 5:
      well_formed = Carried(info->info5.count, info->info5.entries);
      break;
    default:
      break;
  }
  return CheckedBatch(r->out.result, well_formed);
}

uint32_t corvane_reply_dc_name(const struct netr_GetDcName* r) {
  if (!W_ERROR_IS_OK(r->out.result)) return W_ERROR_V(r->out.result);
  if (*r->out.dcname != NULL) return 0;
  return W_ERROR_V(ntstatus_to_werror(NT_STATUS_INVALID_NETWORK_RESPONSE));
}
