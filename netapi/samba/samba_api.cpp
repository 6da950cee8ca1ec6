#include "netapi/samba/samba_api.h"

#include <utility>

#include "netapi/samba/samba_buffer.h"
#include "netapi/samba/text.h"
#include "netapi/thread_id.h"

namespace corvane::netapi {

SambaApi::SambaApi(SambaConfig config)
    : config_(std::move(config)),
      route_(config_),
      session_(config_),
      rpc_(config_.controller_host, session_.conf(), session_.credentials()),
      ldap_(config_.controller_host, session_.conf(), session_.credentials()),
      logons_(session_.conf(), session_.credentials()) {}

NET_API_STATUS SambaApi::Route(LPCWSTR server, std::string& host) const {
  std::string name;
  if (const NET_API_STATUS status = samba::ToUtf8Argument(server, name)) {
    return status;
  }
  std::optional<std::string> resolved = route_.Resolve(name);
  if (!resolved) return ERROR_BAD_NETPATH;
  host = std::move(*resolved);
  return NERR_Success;
}

NET_API_STATUS SambaApi::NetApiBufferAllocate(DWORD byte_count, void** buffer) {
  if (buffer == nullptr) return ERROR_INVALID_PARAMETER;
  *buffer = samba::AllocateBlock(byte_count);
  return *buffer == nullptr ? ERROR_NOT_ENOUGH_MEMORY : NERR_Success;
}

NET_API_STATUS SambaApi::NetApiBufferFree(void* buffer) {
  samba::FreeBlock(buffer);
  return NERR_Success;
}

DWORD SambaApi::PlatformId() { return VER_PLATFORM_WIN32_NT; }

DWORD SambaApi::CurrentThreadId() { return OsThreadId(); }

}  // namespace corvane::netapi
