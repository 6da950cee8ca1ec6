#include "netapi/samba/session.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "netapi/samba/libnetapi.h"

namespace corvane::netapi::samba {
namespace {

std::atomic<bool> session_open{false};

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// Values in the written smb.conf must stay on one line and not start a
// section or a substitution.
void RequirePlainValue(const std::string& what, const std::string& value) {
  if (value.find_first_of("\r\n[]%") != std::string::npos) {
    throw std::runtime_error("Samba backend: unusable " + what + ": " + value);
  }
}

void Check(NET_API_STATUS status, const char* what) {
  if (status != NERR_Success) {
    throw std::runtime_error(std::string("Samba backend: ") + what +
                             " failed with status " + std::to_string(status));
  }
}

// The whole file, read straight into a secret: no stream buffer keeps a
// copy of the password it holds.
automation::SecretUtf8 ReadSecretFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    throw std::runtime_error("Samba backend: cannot read authentication file " +
                             path);
  }
  automation::SecretUtf8 text;
  char c;
  ssize_t n;
  while ((n = ::read(fd, &c, 1)) == 1 || (n < 0 && errno == EINTR)) {
    if (n == 1) text.push_back(c);
  }
  c = 0;
  ::close(fd);
  if (n < 0) {
    throw std::runtime_error("Samba backend: cannot read authentication file " +
                             path);
  }
  return text;
}

}  // namespace

AuthFile ReadAuthFile(const std::string& path) {
  const automation::SecretUtf8 file = ReadSecretFile(path);
  AuthFile auth;
  std::string_view rest = file.view();
  while (!rest.empty()) {
    const auto end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view()
                                         : rest.substr(end + 1);
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string key = Trim(std::string(line.substr(0, equals)));
    // The password is taken as written after "= ", inner spaces included.
    std::string_view value = line.substr(equals + 1);
    value.remove_prefix(std::min(value.find_first_not_of(" \t"), value.size()));
    if (!value.empty() && value.back() == '\r') value.remove_suffix(1);
    if (strcasecmp(key.c_str(), "username") == 0) {
      auth.username = Trim(std::string(value));
    }
    if (strcasecmp(key.c_str(), "password") == 0) {
      auth.password = automation::SecretUtf8(value);
    }
    if (strcasecmp(key.c_str(), "domain") == 0) {
      auth.domain = Trim(std::string(value));
    }
  }
  if (auth.username.empty()) {
    throw std::runtime_error("Samba backend: no username in " + path);
  }
  return auth;
}

Session::Session(const SambaConfig& config) {
  if (config.controller_host.empty() || config.workgroup.empty()) {
    throw std::runtime_error(
        "Samba backend: controller host and workgroup are required");
  }
  if (config.auth_file.empty() == config.kerberos_ccache.empty()) {
    throw std::runtime_error(
        "Samba backend: give either an authentication file or a Kerberos "
        "credentials cache");
  }
  if (session_open.exchange(true)) {
    throw std::runtime_error(
        "Samba backend: libnetapi allows one session per process");
  }
  try {
    if (config.client_conf.empty()) {
      WriteClientConf(config);
    } else {
      set_dyn_CONFIGFILE(config.client_conf.c_str());
    }
    Check(libnetapi_init(&context_), "libnetapi_init");
    Check(libnetapi_set_debuglevel(context_, "0"), "libnetapi_set_debuglevel");
    SetCredentials(config);
  } catch (...) {
    if (context_ != nullptr) libnetapi_free(context_);
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
  if (!private_dir_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(private_dir_, ignored);
  }
  session_open = false;
}

void Session::WriteClientConf(const SambaConfig& config) {
  RequirePlainValue("workgroup", config.workgroup);
  RequirePlainValue("realm", config.realm);
  std::string pattern =
      (std::filesystem::temp_directory_path() / "corvane-samba-XXXXXX")
          .string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::system_error(errno, std::generic_category(),
                            "Samba backend: mkdtemp");
  }
  private_dir_ = pattern;
  RequirePlainValue("temporary directory", pattern);
  const std::filesystem::path conf = private_dir_ / "smb.conf";
  std::ofstream out(conf);
  out << "[global]\n"
      << "  workgroup = " << config.workgroup << "\n";
  if (!config.realm.empty()) out << "  realm = " << config.realm << "\n";
  // Names are resolved from the hosts table only: no NetBIOS broadcast,
  // no WINS, no DNS SRV lookups of the domain.
  out << "  name resolve order = host\n"
      << "  disable netbios = yes\n"
      << "  client use kerberos = "
      << (config.kerberos_ccache.empty() ? "off" : "required") << "\n"
      << "  log level = 0\n"
      << "  log file = " << (private_dir_ / "client.log").string() << "\n";
  for (const char* directory :
       {"lock directory", "state directory", "cache directory", "private dir",
        "ncalrpc dir"}) {
    out << "  " << directory << " = " << pattern << "\n";
  }
  out.close();
  if (!out) {
    throw std::runtime_error("Samba backend: cannot write " + conf.string());
  }
  set_dyn_CONFIGFILE(conf.c_str());
}

void Session::SetCredentials(const SambaConfig& config) {
  if (!config.kerberos_ccache.empty()) {
    // libnetapi reads the default cache; the configured one becomes it.
    setenv("KRB5CCNAME", config.kerberos_ccache.c_str(), 1);
    Check(libnetapi_set_use_ccache(context_), "libnetapi_set_use_ccache");
    Check(libnetapi_set_use_kerberos(context_), "libnetapi_set_use_kerberos");
    Check(libnetapi_set_workgroup(context_, config.workgroup.c_str()),
          "libnetapi_set_workgroup");
    return;
  }
  AuthFile auth = ReadAuthFile(config.auth_file);
  const std::string& domain =
      auth.domain.empty() ? config.workgroup : auth.domain;
  Check(libnetapi_set_workgroup(context_, domain.c_str()),
        "libnetapi_set_workgroup");
  Check(libnetapi_set_username(context_, auth.username.c_str()),
        "libnetapi_set_username");
  Check(libnetapi_set_password(context_, auth.password.c_str()),
        "libnetapi_set_password");
}

}  // namespace corvane::netapi::samba
