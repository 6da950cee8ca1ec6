#include "netapi/samba/samr_channel.h"

#include <utility>

#include "netapi/samba/libnetapi.h"
#include "netapi/samba/samr_client.h"
#include "netapi/samba/sid_bytes.h"

namespace corvane::netapi::samba {

SamrChannel::SamrChannel(std::string host, loadparm_context* conf,
                         cli_credentials* credentials)
    : host_(std::move(host)), conf_(conf), credentials_(credentials) {}

NET_API_STATUS SamrChannel::Open() {
  if (samr_ != nullptr) return NERR_Success;
  if (!owner_) owner_ = NewTallocOwner();
  if (!owner_) return ERROR_NOT_ENOUGH_MEMORY;
  std::uint32_t status = 0;
  samr_ = corvane_samr_connect(owner_.get(), host_.c_str(), conf_, credentials_,
                               &status);
  return samr_ != nullptr ? NERR_Success : corvane_samr_error_code(status);
}

NET_API_STATUS SamrChannel::LookupName(const std::string& name,
                                       std::uint32_t& rid,
                                       std::uint32_t& kind) {
  if (const NET_API_STATUS status = Open()) return status;
  return corvane_samr_error_code(
      corvane_samr_lookup_name(samr_, name.c_str(), &rid, &kind));
}

NET_API_STATUS SamrChannel::QueryGroup(std::uint32_t rid, GroupRecord& group) {
  if (const NET_API_STATUS status = Open()) return status;
  const TallocOwner strings = NewTallocOwner();
  if (!strings) return ERROR_NOT_ENOUGH_MEMORY;
  char* name = nullptr;
  char* comment = nullptr;
  const std::uint32_t status = corvane_samr_query_group(
      samr_, strings.get(), rid, &name, &comment, &group.attributes);
  if (status != 0) return corvane_samr_error_code(status);
  group.name = name;
  group.comment = comment;
  return NERR_Success;
}

NET_API_STATUS SamrChannel::AccountSid(std::uint32_t rid,
                                       std::vector<BYTE>& sid) {
  if (const NET_API_STATUS status = Open()) return status;
  // Samba's RPC SID and libnetapi's domsid are the same structure.
  auto domain = SidBytes(
      reinterpret_cast<const ::domsid*>(corvane_samr_domain_sid(samr_)));
  if (!domain || (*domain)[1] >= MAXSUBAUTHS) return ERROR_NONE_MAPPED;
  ++(*domain)[1];
  for (std::size_t byte = 0; byte < 4; ++byte) {
    domain->push_back(static_cast<BYTE>(rid >> (8 * byte)));
  }
  sid = std::move(*domain);
  return NERR_Success;
}

}  // namespace corvane::netapi::samba
