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

std::unique_ptr<Backend> OpenBackend(const GlobalOptions& options) {
  if (!options.simulate_file.empty()) {
    if (!options.server.empty() || !options.user.empty() ||
        !options.auth_file.empty() || !options.krb5_ccache.empty() ||
        !options.use_kerberos.empty() || !options.configfile.empty()) {
      throw UsageError("--simulate takes no controller or credential options");
    }
    return OpenSimulatedBackend(options.simulate_file);
  }
  return OpenSambaBackend(options);
}

}  // namespace corvane::cli
