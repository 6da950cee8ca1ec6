#include "netapi/samba/session.h"

#include <arpa/inet.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

#include "netapi/samba/libnetapi.h"
#include "netapi/samba/samba_credentials.h"

namespace corvane::netapi::samba {
namespace {

std::atomic<bool> session_open{false};

bool IsAddress(const std::string& host) {
  in6_addr address;
  return inet_pton(AF_INET, host.c_str(), &address) == 1 ||
         inet_pton(AF_INET6, host.c_str(), &address) == 1;
}

const char* ConfValue(KerberosUse use) {
  switch (use) {
    case KerberosUse::kRequired:
      return "required";
    case KerberosUse::kDesired:
      return "desired";
    default:
      return "off";
  }
}

// Values in the written smb.conf must stay on one line and not start a
// section or a substitution.
void RequirePlainValue(const std::string& what, const std::string& value) {
  if (value.find_first_of("\r\n[]%") != std::string::npos) {
    throw std::runtime_error("Samba backend: unusable " + what + ": " + value);
  }
}

// Samba's client never uses Kerberos towards an address; it would fail
// with a less telling reason.
void RefuseKerberosToAnAddress(KerberosUse kerberos, const std::string& host) {
  if (kerberos == KerberosUse::kRequired && IsAddress(host)) {
    throw std::runtime_error(
        "Kerberos needs the controller's host name, not its address " + host +
        " (give --server with its DNS name)");
  }
}

void Check(NET_API_STATUS status, const char* what) {
  if (status != NERR_Success) {
    throw std::runtime_error(std::string("Samba backend: ") + what +
                             " failed with status " + std::to_string(status));
  }
}

}  // namespace

Session::Session(const SambaConfig& config) {
  if (config.controller_host.empty()) {
    throw std::runtime_error("Samba backend: the controller host is required");
  }
  if (!config.username.empty() + !config.auth_file.empty() +
          !config.kerberos_ccache.empty() >
      1) {
    throw std::runtime_error(
        "Samba backend: give one of a user, an authentication file or a "
        "Kerberos credentials cache");
  }
  if (session_open.exchange(true)) {
    throw std::runtime_error(
        "Samba backend: libnetapi allows one session per process");
  }
  try {
    if (config.client_conf.empty()) {
      WriteClientConf(config);
    } else {
      conf_path_ = config.client_conf;
    }
    set_dyn_CONFIGFILE(conf_path_.c_str());
    Check(libnetapi_init(&context_), "libnetapi_init");
    Check(libnetapi_set_debuglevel(context_, "0"), "libnetapi_set_debuglevel");
    SetCredentials(config);
  } catch (...) {
    if (context_ != nullptr) libnetapi_free(context_);
    credentials_owner_.reset();
    if (!private_dir_.empty()) {
      std::error_code ignored;
      std::filesystem::remove_all(private_dir_, ignored);
    }
    session_open = false;
    throw;
  }
}

Session::~Session() {
  libnetapi_free(context_);
  credentials_owner_.reset();
  if (!private_dir_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(private_dir_, ignored);
  }
  session_open = false;
}

void Session::WriteClientConf(const SambaConfig& config) {
  RequirePlainValue("workgroup", config.workgroup);
  RequirePlainValue("realm", config.realm);
  std::string folder = config.private_dir;
  if (folder.empty()) {
    // None given: one of the session's own, removed when it ends.
    folder = (std::filesystem::temp_directory_path() / "corvane-samba-XXXXXX")
                 .string();
    if (mkdtemp(folder.data()) == nullptr) {
      throw std::system_error(errno, std::generic_category(),
                              "Samba backend: mkdtemp");
    }
    private_dir_ = folder;
  }
  RequirePlainValue("temporary directory", folder);
  const std::filesystem::path conf = std::filesystem::path(folder) / "smb.conf";
  std::ofstream out(conf);
  out << "[global]\n";
  if (!config.workgroup.empty()) {
    out << "  workgroup = " << config.workgroup << "\n";
  }
  if (!config.realm.empty()) out << "  realm = " << config.realm << "\n";
  // Names are resolved from the hosts table only: no NetBIOS broadcast,
  // no WINS, no DNS SRV lookups of the domain.
  out << "  name resolve order = host\n"
      << "  disable netbios = yes\n"
      << "  client use kerberos = " << ConfValue(EffectiveKerberos(config))
      << "\n"
      << "  log level = 0\n"
      << "  log file = "
      << (std::filesystem::path(folder) / "client.log").string() << "\n";
  for (const char* directory :
       {"lock directory", "state directory", "cache directory", "private dir",
        "ncalrpc dir"}) {
    out << "  " << directory << " = " << folder << "\n";
  }
  out.close();
  if (!out) {
    throw std::runtime_error("Samba backend: cannot write " + conf.string());
  }
  conf_path_ = conf.string();
}

void Session::SetCredentials(const SambaConfig& config) {
  credentials_owner_ = NewTallocOwner();
  void* owner = credentials_owner_.get();
  loadparm_context* conf = corvane_load_conf(owner, conf_path_.c_str());
  if (conf == nullptr) {
    throw std::runtime_error("Samba backend: cannot load " + conf_path_);
  }
  cli_credentials* credentials = corvane_credentials_new(
      owner, conf, !config.workgroup.empty() || !config.client_conf.empty());
  if (credentials == nullptr) {
    throw std::runtime_error("Samba backend: cannot set up credentials");
  }
  const KerberosUse kerberos = EffectiveKerberos(config);
  if (!config.username.empty() || !config.auth_file.empty()) {
    // Before a password is asked for; with a ticket cache, after it is
    // found, so that a missing ticket is what is reported.
    RefuseKerberosToAnAddress(kerberos, config.controller_host);
  }
  if (!config.username.empty()) {
    corvane_credentials_set_user(credentials, config.username.c_str());
    if (!config.ask_password) {
      throw std::runtime_error("Samba backend: no way to ask for a password");
    }
    const char* account = corvane_credentials_account(credentials, owner);
    const automation::SecretUtf8 password =
        config.ask_password(account ? account : "");
    if (!corvane_credentials_set_password(credentials, password.c_str()))
      throw std::runtime_error("Samba backend: password not taken");
  } else if (!config.auth_file.empty()) {
    if (!corvane_credentials_read_file(credentials, config.auth_file.c_str())) {
      throw std::runtime_error(
          "Samba backend: cannot read authentication file " + config.auth_file);
    }
  } else {
    if (kerberos == KerberosUse::kOff) {
      throw std::runtime_error(
          "no credentials: Kerberos is off and no user or authentication "
          "file is given");
    }
    const char* name = config.kerberos_ccache.empty()
                           ? nullptr
                           : config.kerberos_ccache.c_str();
    const char* reason = nullptr;
    if (corvane_credentials_use_ccache(credentials, conf, name, &reason) != 0) {
      throw std::runtime_error(
          std::string("no credentials: no usable Kerberos ticket in ") +
          (name ? name : "the default credentials cache") +
          (reason ? std::string(" (") + reason + ")" : std::string()));
    }
  }
  RefuseKerberosToAnAddress(kerberos, config.controller_host);
  corvane_credentials_set_kerberos(credentials,
                                   kerberos == KerberosUse::kRequired  ? 2
                                   : kerberos == KerberosUse::kDesired ? 1
                                                                       : 0);
  Check(libnetapi_set_creds(context_, credentials), "libnetapi_set_creds");
  conf_ = conf;
  credentials_ = credentials;
}

}  // namespace corvane::netapi::samba
