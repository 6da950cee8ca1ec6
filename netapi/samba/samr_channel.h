// The direct SAMR channel (see samr_client.h) as the backend uses it:
// opened on the first look-up and kept for the session, statuses in the
// platform's numbering. Not thread-safe: callers hold the backend's lock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "netapi/samba/talloc_owner.h"
#include "netapi/types.h"

struct loadparm_context;
struct cli_credentials;
struct corvane_samr;

namespace corvane::netapi::samba {

// SID_NAME_USE as SAMR reports it.
inline constexpr std::uint32_t kSamrGroup = 2;

struct GroupRecord {
  std::string name;
  std::string comment;
  std::uint32_t attributes = 0;
};

class SamrChannel {
 public:
  SamrChannel(std::string host, loadparm_context* conf,
              cli_credentials* credentials);

  // The relative id and kind of `name` in the account domain.
  NET_API_STATUS LookupName(const std::string& name, std::uint32_t& rid,
                            std::uint32_t& kind);
  NET_API_STATUS QueryGroup(std::uint32_t rid, GroupRecord& group);
  // The SID of the account `rid` of the account domain.
  NET_API_STATUS AccountSid(std::uint32_t rid, std::vector<BYTE>& sid);

 private:
  NET_API_STATUS Open();

  std::string host_;
  loadparm_context* conf_;
  cli_credentials* credentials_;
  TallocOwner owner_;
  corvane_samr* samr_ = nullptr;
};

}  // namespace corvane::netapi::samba
