#include "cli/backends/backend.h"

#include "cli/exit_status.h"

namespace corvane::cli {

std::vector<std::string> BuiltInBackends() {
#ifdef CORVANE_WITH_SAMBA
  return {"simulated", "samba"};
#else
  return {"simulated"};
#endif
}

Access AccessFor(const Request& request) {
  switch (request.command) {
    case Command::kDc:
    case Command::kUserList:
    case Command::kUserShow:
    case Command::kUserSid:
    case Command::kUserGroups:
    case Command::kUserExport:
    case Command::kGroupList:
    case Command::kGroupShow:
    case Command::kGroupMembers:
      return Access::kReadOnly;
    case Command::kBatch:
      for (const BatchLine& line : request.lines) {
        if (AccessFor(line.request) == Access::kMayWrite) {
          return Access::kMayWrite;
        }
      }
      return Access::kReadOnly;
    default:
      // invoke's statements may set anything; a controller's state is
      // saved only when a call changed it.
      return Access::kMayWrite;
  }
}

std::unique_ptr<Backend> OpenBackend(const GlobalOptions& options,
                                     Access access) {
  if (!options.simulate_file.empty()) {
    if (!options.server.empty() || !options.user.empty() ||
        !options.auth_file.empty() || !options.krb5_ccache.empty() ||
        !options.use_kerberos.empty() || !options.configfile.empty()) {
      throw UsageError("--simulate takes no controller or credential options");
    }
    return OpenSimulatedBackend(options.simulate_file, access);
  }
  return OpenSambaBackend(options);
}

}  // namespace corvane::cli
