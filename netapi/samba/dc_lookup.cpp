// The controller lookup. This machine is not a domain member in the
// platform's sense, so the configured controller answers for its domain;
// the name it gives for itself is remembered so that it routes back to it.
#include <cstring>
#include <mutex>

#include "netapi/samba/libnetapi.h"
#include "netapi/samba/samba_api.h"
#include "netapi/samba/samba_buffer.h"
#include "netapi/samba/text.h"

namespace corvane::netapi {

NET_API_STATUS SambaApi::NetGetDCName(LPCWSTR servername, LPCWSTR domainname,
                                      LPBYTE* bufptr) {
  if (bufptr == nullptr) return ERROR_INVALID_PARAMETER;
  std::string host, domain;
  if (const NET_API_STATUS status = Route(servername, host)) return status;
  if (const NET_API_STATUS status = samba::ToUtf8Argument(domainname, domain)) {
    return status;
  }
  // Only the configured domain has a controller here; an empty name means
  // this machine's own domain, which is that one.
  if (!domain.empty() &&
      !samba::EqualsIgnoringAsciiCase(domain, config_.workgroup) &&
      !samba::EqualsIgnoringAsciiCase(domain, config_.realm)) {
    return NERR_DCNotFound;
  }
  // Over the direct RPC channel, so that a command that only reads never
  // opens the SMB session.
  std::string reported;
  {
    std::lock_guard lock(calls_);
    const NET_API_STATUS status = rpc_.DcName(config_.workgroup, reported);
    if (status != NERR_Success) return status;
  }
  const std::string_view name = samba::WithoutBackslashes(reported);
  if (name.empty()) return NERR_DCNotFound;
  std::optional<std::u16string> wide = samba::ToUtf16(name);
  if (!wide) return ERROR_NO_UNICODE_TRANSLATION;
  route_.LearnControllerName(name);

  const std::u16string result = u"\\\\" + *wide;
  const std::size_t bytes = (result.size() + 1) * sizeof(WCHAR);
  void* block = samba::AllocateBlock(bytes);
  if (block == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
  std::memcpy(block, result.c_str(), bytes);
  *bufptr = static_cast<LPBYTE>(block);
  return NERR_Success;
}

}  // namespace corvane::netapi
