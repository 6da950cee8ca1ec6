// The name-to-SID and SID-to-name lookups, with the platform's sizing
// protocol. libnetapi has no such lookups of its own (and Samba 4.17's
// NetGroupGetInfo hands a group's SID back in memory it has released), so
// names are looked up in the account domain over the direct RPC channel.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "netapi/samba/libnetapi.h"
#include "netapi/samba/samba_api.h"
#include "netapi/samba/text.h"
#include "netapi/sid_text.h"

namespace corvane::netapi {
namespace {

// The last error of the lookup, per thread as on the platform.
thread_local DWORD last_error = 0;

BOOL Fail(DWORD error) {
  last_error = error;
  return 0;
}

// Users and global groups only, as the platform's answer for this domain;
// aliases and other kinds are not mapped.
bool IsMapped(std::uint32_t kind) {
  return kind == samba::kSamrUser || kind == samba::kSamrGroup;
}

SID_NAME_USE UseOf(std::uint32_t kind) {
  return kind == samba::kSamrGroup ? SidTypeGroup : SidTypeUser;
}

}  // namespace

DWORD SambaApi::LastError() { return last_error; }

BOOL SambaApi::LookupAccountName(LPCWSTR system_name, LPCWSTR account_name,
                                 PSID sid, LPDWORD sid_size,
                                 LPWSTR referenced_domain_name,
                                 LPDWORD referenced_domain_name_size,
                                 SID_NAME_USE* use) {
  if (account_name == nullptr || sid_size == nullptr ||
      referenced_domain_name_size == nullptr || use == nullptr) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  std::string host, account;
  if (const NET_API_STATUS status = Route(system_name, host)) {
    return Fail(status);
  }
  if (const NET_API_STATUS status =
          samba::ToUtf8Argument(account_name, account)) {
    return Fail(status);
  }
  // "DOMAIN\name" is looked up in the configured domain only.
  if (const auto slash = account.find('\\'); slash != std::string::npos) {
    const std::string domain = account.substr(0, slash);
    if (!samba::EqualsIgnoringAsciiCase(domain, config_.workgroup) &&
        !samba::EqualsIgnoringAsciiCase(domain, config_.realm)) {
      return Fail(ERROR_NONE_MAPPED);
    }
    account.erase(0, slash + 1);
  }
  if (account.empty()) return Fail(ERROR_NONE_MAPPED);

  std::vector<BYTE> sid_bytes;
  SID_NAME_USE kind = SidTypeUser;
  {
    std::lock_guard lock(calls_);
    std::uint32_t rid = 0, found_kind = 0;
    NET_API_STATUS status = rpc_.LookupName(account, rid, found_kind);
    if (status == NERR_Success && !IsMapped(found_kind)) {
      status = ERROR_NONE_MAPPED;
    }
    if (status == NERR_Success) status = rpc_.AccountSid(rid, sid_bytes);
    if (status != NERR_Success) return Fail(status);
    kind = UseOf(found_kind);
  }

  const std::u16string domain = samba::ToUtf16(config_.workgroup).value_or(u"");
  const DWORD sid_needed = static_cast<DWORD>(sid_bytes.size());
  const DWORD domain_needed = static_cast<DWORD>(domain.size() + 1);
  const bool sid_fits = sid != nullptr && *sid_size >= sid_needed;
  const bool domain_fits = referenced_domain_name != nullptr &&
                           *referenced_domain_name_size >= domain_needed;
  if (!sid_fits || !domain_fits) {
    // Both sizes are reported, each only where it falls short.
    if (!sid_fits) *sid_size = sid_needed;
    if (!domain_fits) *referenced_domain_name_size = domain_needed;
    *use = kind;
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(sid, sid_bytes.data(), sid_bytes.size());
  std::memcpy(referenced_domain_name, domain.c_str(),
              domain_needed * sizeof(WCHAR));
  *referenced_domain_name_size = domain_needed - 1;
  *use = kind;
  last_error = NERR_Success;
  return 1;
}

BOOL SambaApi::LookupAccountSid(LPCWSTR system_name, PSID sid, LPWSTR name,
                                LPDWORD name_size,
                                LPWSTR referenced_domain_name,
                                LPDWORD referenced_domain_name_size,
                                SID_NAME_USE* use) {
  if (sid == nullptr || name_size == nullptr ||
      referenced_domain_name_size == nullptr || use == nullptr) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const auto* bytes = static_cast<const BYTE*>(sid);
  const std::span<const BYTE> wanted(
      bytes, SidLength(std::min<std::size_t>(bytes[1], kMaxSubAuthorities)));
  if (!IsSid(wanted) || wanted[1] == 0) return Fail(ERROR_INVALID_PARAMETER);
  const std::uint32_t rid = RelativeId(wanted);
  std::string host;
  if (const NET_API_STATUS status = Route(system_name, host)) {
    return Fail(status);
  }
  std::string found;
  std::uint32_t found_kind = 0;
  {
    std::lock_guard lock(calls_);
    // Only a SID of the account domain has a name here.
    std::vector<BYTE> domain_sid;
    NET_API_STATUS status = rpc_.AccountSid(rid, domain_sid);
    if (status == NERR_Success &&
        !std::equal(wanted.begin(), wanted.end(), domain_sid.begin(),
                    domain_sid.end())) {
      status = ERROR_NONE_MAPPED;
    }
    if (status == NERR_Success) status = rpc_.LookupRid(rid, found, found_kind);
    if (status == NERR_Success && !IsMapped(found_kind)) {
      status = ERROR_NONE_MAPPED;
    }
    if (status != NERR_Success) return Fail(status);
  }
  const std::optional<std::u16string> account = samba::ToUtf16(found);
  if (!account) return Fail(ERROR_NO_UNICODE_TRANSLATION);
  const std::u16string domain = samba::ToUtf16(config_.workgroup).value_or(u"");
  const DWORD name_needed = static_cast<DWORD>(account->size() + 1);
  const DWORD domain_needed = static_cast<DWORD>(domain.size() + 1);
  const bool name_fits = name != nullptr && *name_size >= name_needed;
  const bool domain_fits = referenced_domain_name != nullptr &&
                           *referenced_domain_name_size >= domain_needed;
  if (!name_fits || !domain_fits) {
    if (!name_fits) *name_size = name_needed;
    if (!domain_fits) *referenced_domain_name_size = domain_needed;
    *use = UseOf(found_kind);
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(name, account->c_str(), name_needed * sizeof(WCHAR));
  std::memcpy(referenced_domain_name, domain.c_str(),
              domain_needed * sizeof(WCHAR));
  *name_size = name_needed - 1;
  *referenced_domain_name_size = domain_needed - 1;
  *use = UseOf(found_kind);
  last_error = NERR_Success;
  return 1;
}

}  // namespace corvane::netapi
