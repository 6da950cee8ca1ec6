// The Samba backend, when the build has it: a module loaded when the
// command talks to a controller (netapi/samba_loader.h).
#include <optional>

#include "cli/backends/backend.h"
#include "cli/exit_status.h"

#ifdef CORVANE_WITH_SAMBA
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <system_error>

#include "automation/text.h"
#include "cli/inputs/password_input.h"
#include "cli/inputs/private_file.h"
#include "netapi/private_folder.h"
#include "netapi/samba/samba_module.h"
#include "netapi/samba_loader.h"
#endif

namespace corvane::cli {
namespace {

std::optional<ControllerLocation> found_controllers;
netapi::ControllerLogons* opened_logons = nullptr;
netapi::AccountSearch* opened_search = nullptr;
netapi::AccountSearch* traced_search = nullptr;

}  // namespace

const ControllerLocation* FoundControllers() {
  return found_controllers ? &*found_controllers : nullptr;
}

netapi::ControllerLogons* BackendLogons() { return opened_logons; }

netapi::AccountSearch* BackendSearch() {
  return traced_search != nullptr ? traced_search : opened_search;
}

void TraceBackendSearch(netapi::CallTrace& trace) {
  traced_search = trace.search();
}

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
      : api_(SambaModule().open(WithPrivateFolder(std::move(config)))) {
    opened_logons = &SambaModule().logons(*api_);
    opened_search = &SambaModule().search(*api_);
  }
  ~SambaBackend() override {
    opened_logons = nullptr;
    opened_search = nullptr;
    traced_search = nullptr;
  }
  SambaBackend(const SambaBackend&) = delete;
  SambaBackend& operator=(const SambaBackend&) = delete;
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

// The controllers' SMB port, which every command reaches first or soon.
constexpr std::uint16_t kProbePort = 445;
constexpr double kDefaultConnectTimeout = 5;

// How long a controller may take to accept a connection before the next
// one is tried: --connect-timeout seconds (fractions allowed).
std::chrono::milliseconds ConnectTimeout(const std::string& given) {
  const char* text = given.c_str();
  if (*text == '\0') {
    return std::chrono::milliseconds(
        static_cast<long>(kDefaultConnectTimeout * 1000));
  }
  char* end = nullptr;
  const double seconds = std::strtod(text, &end);
  if (*end != '\0' || !std::isfinite(seconds) || seconds <= 0 ||
      seconds > 600) {
    throw UsageError(
        "--connect-timeout (CORVANE_CONNECT_TIMEOUT) must be a number of "
        "seconds above 0 and at most 600");
  }
  return std::chrono::milliseconds(std::max(1L, std::lround(seconds * 1000)));
}

// "A,B" as a list, empty entries left out.
std::vector<std::string> ListOf(const std::string& text) {
  std::vector<std::string> items;
  std::stringstream list(text);
  for (std::string item; std::getline(list, item, ',');) {
    if (!item.empty()) items.push_back(item);
  }
  return items;
}

std::string Described(const FoundController& controller) {
  return controller.host_name + " (" +
         (controller.address.empty() ? "no address" : controller.address) + ")";
}

// The realm's controllers as its DNS names them, none tried yet.
ControllerLocation FindInDns(const GlobalOptions& options) {
  netapi::samba::LocationRequest request;
  request.realm = options.realm;
  if (request.realm.empty() && options.domain.find('.') != std::string::npos) {
    request.realm = options.domain;
  }
  request.site = options.site;
  request.dns_servers = ListOf(options.dns_servers);
  netapi::samba::Location location;
  try {
    location = SambaModule().locate(request);
  } catch (const std::runtime_error& error) {
    const std::string reason = error.what();
    if (reason.rfind("no realm", 0) == 0) {
      throw UsageError(
          "no domain controller: give --server HOST, or a realm whose DNS "
          "names its controllers (--realm, -s FILE, krb5.conf's "
          "default_realm), or --simulate FILE to try the simulated demo "
          "domain");
    }
    throw BackendError(reason);
  }
  ControllerLocation found;
  found.realm = location.realm;
  found.query = location.query;
  for (const auto& controller : location.controllers) {
    found.controllers.push_back(
        {controller.host_name, controller.address, {}, false});
  }
  return found;
}

// The realm's controllers from DNS, each probed in turn until one
// accepts a connection; that one serves the whole run. Says on standard
// error which one it is when it is not the first.
std::string LocateController(const GlobalOptions& options, bool by_name) {
  const std::chrono::milliseconds timeout =
      ConnectTimeout(options.connect_timeout);
  ControllerLocation found = FindInDns(options);
  std::optional<std::size_t> used;
  for (std::size_t i = 0; i < found.controllers.size() && !used; ++i) {
    FoundController& controller = found.controllers[i];
    controller.tried = true;
    controller.unanswered =
        SambaModule().probe(controller.address, kProbePort, timeout);
    if (controller.unanswered.empty()) used = i;
  }
  if (!used) {
    std::string tried;
    for (const FoundController& controller : found.controllers) {
      tried += (tried.empty() ? "" : "; ") + Described(controller) + ": " +
               controller.unanswered;
    }
    const std::string message =
        "no domain controller answered (NERR_DCNotFound): " + found.realm +
        " has " + std::to_string(found.controllers.size()) + " in DNS; tried " +
        tried;
    found_controllers = std::move(found);
    throw BackendError(message);
  }
  found.used = *used;
  const FoundController& chosen = found.controllers[*used];
  if (*used > 0) {
    std::string passed;
    for (std::size_t i = 0; i < *used; ++i) {
      passed += (passed.empty() ? "" : "; ") + Described(found.controllers[i]) +
                ": " + found.controllers[i].unanswered;
    }
    std::cerr << "corvane: using domain controller " + Described(chosen) +
                     "; not answering: " + passed + "\n";
  }
  found_controllers = std::move(found);
  return by_name ? chosen.host_name : chosen.address;
}

// Whether the session logs on with Kerberos, which needs each
// controller's host name rather than its address.
bool ByName(const GlobalOptions& options) {
  netapi::SambaConfig config;
  config.kerberos = KerberosFrom(options.use_kerberos);
  config.username = options.user;
  config.auth_file = options.auth_file;
  return netapi::samba::EffectiveKerberos(config) != netapi::KerberosUse::kOff;
}

// The directory's port: the controllers are read over LDAP.
constexpr std::uint16_t kLdapPort = 389;

std::vector<tasks::DomainController> EveryControllerInDns(
    const GlobalOptions& options) {
  if (!found_controllers) {
    try {
      found_controllers = FindInDns(options);
    } catch (const UsageError&) {
      throw BackendError(
          "every controller is asked, as the realm's DNS names them: give "
          "--realm REALM (or -s FILE naming one), and --dns-server ADDRESS "
          "where the host's DNS does not know the realm");
    } catch (const std::exception& error) {
      throw BackendError(
          std::string("every controller is asked, as the realm's DNS names "
                      "them, and they were not found: ") +
          error.what());
    }
  }
  const std::chrono::milliseconds timeout =
      ConnectTimeout(options.connect_timeout);
  const bool by_name = ByName(options);
  std::vector<tasks::DomainController> controllers;
  for (FoundController& found : found_controllers->controllers) {
    if (!found.tried) {
      found.tried = true;
      found.unanswered = SambaModule().probe(found.address, kLdapPort, timeout);
    }
    controllers.push_back({found.host_name,
                           by_name ? found.host_name : found.address,
                           found.unanswered});
  }
  return controllers;
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
  config.kerberos = KerberosFrom(options.use_kerberos);
  config.username = options.user;
  config.auth_file = options.auth_file;
  config.kerberos_ccache = options.krb5_ccache;
  // Kerberos needs the controller's host name; otherwise its address, as
  // found in the same DNS, so that nothing else resolves the name.
  config.controller_host =
      !options.server.empty()
          ? options.server
          : LocateController(options, netapi::samba::EffectiveKerberos(
                                          config) != netapi::KerberosUse::kOff);
  config.workgroup = options.domain;
  config.realm = options.realm;
  config.client_conf = options.configfile;
  if (!options.auth_file.empty()) WarnIfOthersCanRead(options.auth_file, "-A");
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

#endif

std::vector<tasks::DomainController> EveryController(
    const GlobalOptions& options, const std::string& dc) {
#ifdef CORVANE_WITH_SAMBA
  if (options.simulate_file.empty()) return EveryControllerInDns(options);
#endif
  std::string name = dc;
  name.erase(0, name.find_first_not_of('\\'));
  return {{name, dc, {}}};
}

#ifndef CORVANE_WITH_SAMBA

void CompleteOptions(GlobalOptions&) {}

std::unique_ptr<Backend> OpenSambaBackend(const GlobalOptions&) {
  throw UsageError(
      "this corvane was built without the Samba backend (configure with "
      "-DCORVANE_WITH_SAMBA=ON); use --simulate FILE to work on the "
      "simulated demo domain");
}

#endif

}  // namespace corvane::cli
