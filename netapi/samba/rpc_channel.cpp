#include "netapi/samba/rpc_channel.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "netapi/samba/libnetapi.h"
#include "netapi/samba/listing_batches.h"
#include "netapi/samba/rpc_client.h"
#include "netapi/samba/sid_bytes.h"
#include "netapi/samba/text.h"

namespace corvane::netapi::samba {
namespace {

// The platform's enumeration filter as SAMR account-control bits, as
// libnetapi maps it (normal accounts unless another kind is asked for).
std::uint32_t AccountBits(DWORD filter) {
  switch (filter) {
    case 0x0001:  // FILTER_TEMP_DUPLICATE_ACCOUNT
      return 0x0008;
    case 0x0008:  // FILTER_INTERDOMAIN_TRUST_ACCOUNT
      return 0x0040;
    case 0x0010:  // FILTER_WORKSTATION_TRUST_ACCOUNT
      return 0x0080;
    case 0x0020:  // FILTER_SERVER_TRUST_ACCOUNT
      return 0x0100;
    default:  // FILTER_NORMAL_ACCOUNT
      return 0x0010;
  }
}

// Collects a batch's entries in the platform's text.
struct Collected {
  PendingListing& listing;
  std::uint32_t read = 0;
  bool untranslatable = false;
};

struct CollectedNames {
  std::vector<std::u16string>& names;
  bool untranslatable = false;
};

bool CollectName(void* context, const char* name, const char* /*comment*/) {
  auto& collected = *static_cast<CollectedNames*>(context);
  std::optional<std::u16string> wide = ToUtf16(name);
  if (!wide) {
    collected.untranslatable = true;
    return false;
  }
  collected.names.push_back(std::move(*wide));
  return true;
}

bool Collect(void* context, const char* name, const char* comment) {
  auto& collected = *static_cast<Collected*>(context);
  std::optional<std::u16string> wide_name = ToUtf16(name);
  std::optional<std::u16string> wide_comment = ToUtf16(comment);
  if (!wide_name || !wide_comment) {
    collected.untranslatable = true;
    return false;
  }
  collected.listing.entries.push_back(
      {std::move(*wide_name), std::move(*wide_comment), nullptr});
  ++collected.read;
  return true;
}

template <typename List>
NET_API_STATUS ListBatch(PendingListing& listing, List&& list) {
  Collected collected{listing};
  const NET_API_STATUS status =
      corvane_rpc_error_code(list(Collect, &collected));
  if (collected.untranslatable) return ERROR_NO_UNICODE_TRANSLATION;
  return Received(status, collected.read, listing);
}

}  // namespace

RpcChannel::RpcChannel(std::string host, loadparm_context* conf,
                       cli_credentials* credentials)
    : host_(std::move(host)), conf_(conf), credentials_(credentials) {}

NET_API_STATUS RpcChannel::Open() {
  if (rpc_ != nullptr) return NERR_Success;
  if (!owner_) owner_ = NewTallocOwner();
  if (!owner_) return ERROR_NOT_ENOUGH_MEMORY;
  std::uint32_t status = 0;
  rpc_ = corvane_rpc_connect(owner_.get(), host_.c_str(), conf_, credentials_,
                             &status);
  return rpc_ != nullptr ? NERR_Success : corvane_rpc_error_code(status);
}

NET_API_STATUS RpcChannel::DcName(const std::string& domain,
                                  std::string& name) {
  if (const NET_API_STATUS status = Open()) return status;
  const TallocOwner strings = NewTallocOwner();
  if (!strings) return ERROR_NOT_ENOUGH_MEMORY;
  char* found = nullptr;
  const NET_API_STATUS status =
      corvane_rpc_dc_name(rpc_, strings.get(), domain.c_str(), &found);
  if (status == NERR_Success) name = found;
  return status;
}

NET_API_STATUS RpcChannel::LookupName(const std::string& name,
                                      std::uint32_t& rid, std::uint32_t& kind) {
  if (const NET_API_STATUS status = Open()) return status;
  return corvane_rpc_error_code(
      corvane_rpc_lookup_name(rpc_, name.c_str(), &rid, &kind));
}

NET_API_STATUS RpcChannel::LookupRid(std::uint32_t rid, std::string& name,
                                     std::uint32_t& kind) {
  if (const NET_API_STATUS status = Open()) return status;
  const TallocOwner strings = NewTallocOwner();
  if (!strings) return ERROR_NOT_ENOUGH_MEMORY;
  char* found = nullptr;
  const std::uint32_t status =
      corvane_rpc_lookup_rid(rpc_, strings.get(), rid, &found, &kind);
  if (status != 0) return corvane_rpc_error_code(status);
  name = found;
  return NERR_Success;
}

NET_API_STATUS RpcChannel::QueryGroup(std::uint32_t rid, GroupRecord& group) {
  if (const NET_API_STATUS status = Open()) return status;
  const TallocOwner strings = NewTallocOwner();
  if (!strings) return ERROR_NOT_ENOUGH_MEMORY;
  char* name = nullptr;
  char* comment = nullptr;
  const std::uint32_t status = corvane_rpc_query_group(
      rpc_, strings.get(), rid, &name, &comment, &group.attributes);
  if (status != 0) return corvane_rpc_error_code(status);
  group.name = name;
  group.comment = comment;
  return NERR_Success;
}

NET_API_STATUS RpcChannel::AccountSid(std::uint32_t rid, void* owner,
                                      dom_sid*& sid) {
  if (const NET_API_STATUS status = Open()) return status;
  sid = corvane_rpc_account_sid(rpc_, owner, rid);
  return sid != nullptr ? NERR_Success : ERROR_NOT_ENOUGH_MEMORY;
}

NET_API_STATUS RpcChannel::AccountSid(std::uint32_t rid,
                                      std::vector<BYTE>& sid) {
  const TallocOwner owner = NewTallocOwner();
  if (!owner) return ERROR_NOT_ENOUGH_MEMORY;
  dom_sid* found = nullptr;
  if (const NET_API_STATUS status = AccountSid(rid, owner.get(), found)) {
    return status;
  }
  // Samba's RPC SID and libnetapi's domsid are the same structure.
  auto bytes = SidBytes(reinterpret_cast<const ::domsid*>(found));
  if (!bytes) return ERROR_NONE_MAPPED;
  sid = std::move(*bytes);
  return NERR_Success;
}

NET_API_STATUS RpcChannel::QueryUser(const std::string& name, void* owner,
                                     corvane_rpc_user& user) {
  if (const NET_API_STATUS status = Open()) return status;
  return corvane_rpc_error_code(
      corvane_rpc_query_user(rpc_, owner, name.c_str(), &user));
}

NET_API_STATUS RpcChannel::QueryPolicy(corvane_rpc_policy& policy) {
  if (const NET_API_STATUS status = Open()) return status;
  return corvane_rpc_error_code(corvane_rpc_query_policy(rpc_, &policy));
}

NET_API_STATUS RpcChannel::UserGroups(const std::string& name,
                                      std::vector<std::u16string>& groups) {
  if (const NET_API_STATUS status = Open()) return status;
  CollectedNames collected{groups};
  const NET_API_STATUS status =
      corvane_rpc_error_code(corvane_rpc_list_user_groups(
          rpc_, name.c_str(), CollectName, &collected));
  return collected.untranslatable ? ERROR_NO_UNICODE_TRANSLATION : status;
}

NET_API_STATUS RpcChannel::SetUser(const std::string& name,
                                   const corvane_rpc_user_change& change) {
  if (const NET_API_STATUS status = Open()) return status;
  return corvane_rpc_error_code(
      corvane_rpc_set_user(rpc_, name.c_str(), &change));
}

NET_API_STATUS RpcChannel::RenameGroup(const std::string& name,
                                       const std::string& new_name) {
  if (const NET_API_STATUS status = Open()) return status;
  return corvane_rpc_error_code(
      corvane_rpc_rename_group(rpc_, name.c_str(), new_name.c_str()));
}

NET_API_STATUS RpcChannel::ListUsers(DWORD filter, DWORD bytes,
                                     PendingListing& listing) {
  if (const NET_API_STATUS status = Open()) return status;
  return ListBatch(listing, [&](corvane_rpc_entry each, void* context) {
    return corvane_rpc_list_users(rpc_, AccountBits(filter), bytes,
                                  &listing.resume, each, context);
  });
}

NET_API_STATUS RpcChannel::ListGroups(DWORD bytes, PendingListing& listing) {
  if (const NET_API_STATUS status = Open()) return status;
  return ListBatch(listing, [&](corvane_rpc_entry each, void* context) {
    return corvane_rpc_list_groups(rpc_, bytes, &listing.resume, each, context);
  });
}

NET_API_STATUS RpcChannel::ListGroupMembers(const std::string& group,
                                            DWORD bytes,
                                            PendingListing& listing) {
  if (const NET_API_STATUS status = Open()) return status;
  if (!listing.member_rids) {
    const TallocOwner owner = NewTallocOwner();
    if (!owner) return ERROR_NOT_ENOUGH_MEMORY;
    std::uint32_t* rids = nullptr;
    std::uint32_t count = 0;
    if (const std::uint32_t status = corvane_rpc_group_members(
            rpc_, owner.get(), group.c_str(), &rids, &count)) {
      return corvane_rpc_error_code(status);
    }
    listing.member_rids.emplace(rids, rids + count);
    listing.resume = 0;
  }
  const std::vector<std::uint32_t>& rids = *listing.member_rids;
  // About 32 bytes a name; at most what one look-up takes.
  const std::size_t run =
      std::clamp<std::size_t>(bytes / 32, 1, CORVANE_RPC_RIDS_PER_LOOKUP);
  Collected collected{listing};
  while (collected.read == 0 && listing.resume < rids.size()) {
    const std::size_t first = listing.resume;
    const std::size_t count = std::min(run, rids.size() - first);
    const NET_API_STATUS status = corvane_rpc_error_code(corvane_rpc_user_names(
        rpc_, rids.data() + first, static_cast<std::uint32_t>(count), Collect,
        &collected));
    if (collected.untranslatable) return ERROR_NO_UNICODE_TRANSLATION;
    if (status != NERR_Success) return status;
    listing.resume = static_cast<std::uint32_t>(first + count);
  }
  return Received(listing.resume < rids.size() ? ERROR_MORE_DATA : NERR_Success,
                  collected.read, listing);
}

}  // namespace corvane::netapi::samba
