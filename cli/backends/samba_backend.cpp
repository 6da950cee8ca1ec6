// The Samba backend, when the build has it: a module loaded when the
// command talks to a controller (netapi/samba_loader.h).
#include "cli/backends/backend.h"
#include "cli/exit_status.h"

#ifdef CORVANE_WITH_SAMBA
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <system_error>

#include "automation/text.h"
#include "cli/inputs/password_input.h"
#include "cli/inputs/private_file.h"
#include "netapi/private_folder.h"
#include "netapi/samba/samba_module.h"
#include "netapi/samba_loader.h"
#endif

namespace corvane::cli {

#ifdef CORVANE_WITH_SAMBA
namespace {

constexpr char kModuleFile[] = "corvane-samba.so";

// Next to the command in a build tree, else where the install put it
// relative to the command (CORVANE_SAMBA_MODULE_DIR, from its folder).
std::string ModulePath() {
  std::error_code error;
  const std::filesystem::path folder =
      std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
  if (error) return kModuleFile;
  return netapi::FirstExistingPath(
      {(folder / kModuleFile).string(),
       (folder / CORVANE_SAMBA_MODULE_DIR / kModuleFile)
           .lexically_normal()
           .string()});
}

// Loaded once and kept for the life of the process.
const netapi::samba::SambaModule& SambaModule() {
  try {
    return netapi::LoadSambaModule(ModulePath());
  } catch (const std::runtime_error& error) {
    throw BackendError(error.what());
  }
}

class SambaBackend : public Backend {
 public:
  explicit SambaBackend(netapi::SambaConfig config)
      : api_(SambaModule().open(WithPrivateFolder(std::move(config)))) {}
  netapi::Api& api() override { return *api_; }

 private:
  // The client configuration goes into a folder of the command's, which
  // its signal handler removes on Ctrl-C or SIGTERM too.
  netapi::SambaConfig WithPrivateFolder(netapi::SambaConfig config) {
    if (config.client_conf.empty()) {
      folder_.emplace("corvane-samba-");
      config.private_dir = folder_->path();
    }
    return config;
  }

  std::optional<netapi::PrivateFolder> folder_;  // outlives the session
  std::unique_ptr<netapi::Api> api_;
};

netapi::KerberosUse KerberosFrom(const std::string& option) {
  using automation::EqualsIgnoringAsciiCase;
  if (EqualsIgnoringAsciiCase(option, "required")) {
    return netapi::KerberosUse::kRequired;
  }
  if (EqualsIgnoringAsciiCase(option, "desired")) {
    return netapi::KerberosUse::kDesired;
  }
  if (EqualsIgnoringAsciiCase(option, "off")) return netapi::KerberosUse::kOff;
  return netapi::KerberosUse::kDefault;
}

automation::SecretUtf8 AskPassword(const std::string& account) {
  const automation::Secret password =
      ReadPassword("Password for [" + account + "]: ", false);
  std::optional<automation::SecretUtf8> text =
      automation::ToUtf8Secret(password.view());
  if (!text) throw UsageError("the password is not valid UTF-16");
  return std::move(*text);
}

}  // namespace

void CompleteOptions(GlobalOptions& options) {
  if (options.configfile.empty() || !options.simulate_file.empty()) return;
  netapi::samba::ClientConfSettings settings;
  try {
    settings = SambaModule().read_client_conf(options.configfile);
  } catch (const std::runtime_error& error) {
    throw UsageError(error.what());
  }
  if (options.domain.empty()) options.domain = settings.workgroup;
  if (options.realm.empty()) options.realm = settings.realm;
  if (options.server.empty()) options.server = settings.server;
}

std::unique_ptr<Backend> OpenSambaBackend(const GlobalOptions& options) {
  if (options.server.empty()) {
    throw UsageError(
        "no domain controller: give --server HOST, or -s FILE whose "
        "\"password server\" names it (or --simulate FILE to try the "
        "simulated demo domain)");
  }
  if (options.user.find('%') != std::string::npos) {
    throw UsageError(
        "a password is never taken from the command line: give -U USER "
        "and type the password when asked, or pass it on standard input");
  }
  if (!options.user.empty() + !options.auth_file.empty() +
          !options.krb5_ccache.empty() >
      1) {
    throw UsageError(
        "give one of -U/--user, -A/--authentication-file and "
        "--use-krb5-ccache");
  }
  netapi::SambaConfig config;
  config.controller_host = options.server;
  config.workgroup = options.domain;
  config.realm = options.realm;
  config.client_conf = options.configfile;
  config.username = options.user;
  config.auth_file = options.auth_file;
  if (!options.auth_file.empty()) WarnIfOthersCanRead(options.auth_file, "-A");
  config.kerberos_ccache = options.krb5_ccache;
  config.kerberos = KerberosFrom(options.use_kerberos);
  config.ask_password = AskPassword;
  try {
    return std::make_unique<SambaBackend>(std::move(config));
  } catch (const std::runtime_error& error) {
    const std::string reason = error.what();
    if (reason.rfind("no credentials", 0) == 0) {
      throw BackendError(reason +
                         "; give -U USER (the password is asked for), -A "
                         "FILE, or run kinit first");
    }
    throw BackendError(reason);
  }
}

#else

void CompleteOptions(GlobalOptions&) {}

std::unique_ptr<Backend> OpenSambaBackend(const GlobalOptions&) {
  throw UsageError(
      "this corvane was built without the Samba backend (configure with "
      "-DCORVANE_WITH_SAMBA=ON); use --simulate FILE to work on the "
      "simulated demo domain");
}

#endif

}  // namespace corvane::cli
