// The Samba backend as a loadable module: the command loads it (and with
// it Samba's hundred-odd libraries) only when it talks to a controller, so
// that help, usage errors and the simulated controller start at once.
#pragma once

#include <memory>
#include <string>

#include "netapi/account_search.h"
#include "netapi/api.h"
#include "netapi/controller_logons.h"
#include "netapi/samba/client_conf.h"
#include "netapi/samba/controller_location.h"
#include "netapi/samba/samba_config.h"

namespace corvane::netapi::samba {

// What the module offers. open, read_client_conf and locate throw
// std::runtime_error with a readable reason (controller_location.h).
struct SambaModule {
  std::unique_ptr<Api> (*open)(SambaConfig config);
  ClientConfSettings (*read_client_conf)(const std::string& path);
  Location (*locate)(const LocationRequest& request);
  std::string (*probe)(const std::string& address, std::uint16_t port,
                       std::chrono::milliseconds timeout);
  // Every controller's own logons, through a session `open` returned.
  ControllerLogons& (*logons)(Api& session);
  // That session's listing the directory narrows.
  AccountSearch& (*search)(Api& session);
};

// The module's one entry point.
inline constexpr char kSambaModuleEntry[] = "corvane_samba_module";
extern "C" const SambaModule* corvane_samba_module();

}  // namespace corvane::netapi::samba
