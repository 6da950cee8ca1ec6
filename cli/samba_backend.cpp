// The Samba libnetapi backend, when the build has it.
#include "cli/backend.h"
#include "cli/exit_status.h"

#ifdef CORVANE_WITH_SAMBA
#include <cstdlib>

#include "netapi/samba/samba_api.h"
#endif

namespace corvane::cli {

#ifdef CORVANE_WITH_SAMBA
namespace {

class SambaBackend : public Backend {
 public:
  explicit SambaBackend(netapi::SambaConfig config) : api_(std::move(config)) {}
  netapi::Api& api() override { return api_; }

 private:
  netapi::SambaApi api_;
};

}  // namespace

std::unique_ptr<Backend> OpenSambaBackend(const GlobalOptions& options) {
  if (options.server.empty()) {
    throw UsageError(
        "no domain controller: give --server HOST (or --simulate FILE to "
        "try the simulated demo domain)");
  }
  if (options.domain.empty()) {
    throw UsageError("the Samba backend needs the domain: give --domain NAME");
  }
  netapi::SambaConfig config;
  config.controller_host = options.server;
  config.workgroup = options.domain;
  config.realm = options.realm;
  config.client_conf = options.configfile;
  config.auth_file = options.auth_file;
  config.kerberos_ccache = options.krb5_ccache;
  if (!config.auth_file.empty() && !config.kerberos_ccache.empty()) {
    throw UsageError(
        "give either -A/--authentication-file or --use-krb5-ccache, not both");
  }
  if (config.auth_file.empty() && config.kerberos_ccache.empty()) {
    // As Samba's clients do with Kerberos: the default credentials cache.
    const char* default_cache = std::getenv("KRB5CCNAME");
    if (default_cache == nullptr || *default_cache == '\0') {
      throw UsageError(
          "no credentials: give -A/--authentication-file FILE or "
          "--use-krb5-ccache CCACHE");
    }
    config.kerberos_ccache = default_cache;
  }
  try {
    return std::make_unique<SambaBackend>(std::move(config));
  } catch (const std::runtime_error& error) {
    throw BackendError(error.what());
  }
}

#else

std::unique_ptr<Backend> OpenSambaBackend(const GlobalOptions&) {
  throw UsageError(
      "this corvane was built without the Samba backend (configure with "
      "-DCORVANE_WITH_SAMBA=ON); use --simulate FILE to work on the "
      "simulated demo domain");
}

#endif

}  // namespace corvane::cli
