// The direct RPC channel (see rpc_client.h) as the backend uses it: opened
// on first use and kept for the session, records in the platform's text,
// statuses in its numbering. Not thread-safe: callers hold the backend's
// lock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "netapi/samba/enumeration_cursors.h"
#include "netapi/samba/talloc_owner.h"
#include "netapi/types.h"

struct loadparm_context;
struct cli_credentials;
struct corvane_rpc;
struct corvane_rpc_user;
struct corvane_rpc_policy;
struct corvane_rpc_user_change;
struct dom_sid;

namespace corvane::netapi::samba {

// SID_NAME_USE as SAMR reports it.
inline constexpr std::uint32_t kSamrUser = 1;
inline constexpr std::uint32_t kSamrGroup = 2;

struct GroupRecord {
  std::string name;
  std::string comment;
  std::uint32_t attributes = 0;
};

class RpcChannel {
 public:
  RpcChannel(std::string host, loadparm_context* conf,
             cli_credentials* credentials);

  // The controller of `domain` as it names itself.
  NET_API_STATUS DcName(const std::string& domain, std::string& name);

  // The relative id and kind of `name` in the account domain.
  NET_API_STATUS LookupName(const std::string& name, std::uint32_t& rid,
                            std::uint32_t& kind);
  // The name and kind of the account `rid` of the account domain.
  NET_API_STATUS LookupRid(std::uint32_t rid, std::string& name,
                           std::uint32_t& kind);
  NET_API_STATUS QueryGroup(std::uint32_t rid, GroupRecord& group);
  // The SID of the account `rid` of the account domain: as bytes, or in
  // Samba's form allocated in `owner` (null when memory is short).
  NET_API_STATUS AccountSid(std::uint32_t rid, std::vector<BYTE>& sid);
  NET_API_STATUS AccountSid(std::uint32_t rid, void* owner, dom_sid*& sid);

  // The account `name`, its texts allocated in `owner`.
  NET_API_STATUS QueryUser(const std::string& name, void* owner,
                           corvane_rpc_user& user);
  NET_API_STATUS QueryPolicy(corvane_rpc_policy& policy);
  // The global groups `name` belongs to.
  NET_API_STATUS UserGroups(const std::string& name,
                            std::vector<std::u16string>& groups);

  // Writes the fields `change` names to the account `name` (SAMR level 21).
  NET_API_STATUS SetUser(const std::string& name,
                         const corvane_rpc_user_change& change);
  NET_API_STATUS RenameGroup(const std::string& name,
                             const std::string& new_name);

  // One batch of about `bytes` appended to `listing` (see Received): user
  // accounts of the platform's `filter`, or global groups with comments.
  NET_API_STATUS ListUsers(DWORD filter, DWORD bytes, PendingListing& listing);
  NET_API_STATUS ListGroups(DWORD bytes, PendingListing& listing);
  // The user accounts among `group`'s members, a run of at most what one
  // look-up takes (CORVANE_RPC_RIDS_PER_LOOKUP) named at a time.
  NET_API_STATUS ListGroupMembers(const std::string& group, DWORD bytes,
                                  PendingListing& listing);

 private:
  NET_API_STATUS Open();

  std::string host_;
  loadparm_context* conf_;
  cli_credentials* credentials_;
  TallocOwner owner_;
  corvane_rpc* rpc_ = nullptr;
};

}  // namespace corvane::netapi::samba
