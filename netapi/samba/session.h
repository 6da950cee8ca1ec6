// The libnetapi context. Samba keeps it process-wide and caches connections
// per server string, so only one session can be open in a process at a
// time; it is opened and closed on the same thread (Samba's talloc stack
// frames are per thread).
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "automation/secret.h"
#include "netapi/samba/samba_config.h"
#include "netapi/samba/talloc_owner.h"

struct libnetapi_ctx;
struct loadparm_context;
struct cli_credentials;

namespace corvane::netapi::samba {

class Session {
 public:
  // Throws std::runtime_error with a readable reason when the
  // configuration is unusable or libnetapi cannot start.
  explicit Session(const SambaConfig& config);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // The configuration and credentials libnetapi uses, for a second channel
  // to the same controller.
  loadparm_context* conf() const { return conf_; }
  cli_credentials* credentials() const { return credentials_; }

 private:
  void WriteClientConf(const SambaConfig& config);
  void SetCredentials(const SambaConfig& config);

  std::filesystem::path private_dir_;  // made by the session, else empty
  std::string conf_path_;
  // Samba's credentials and configuration objects; libnetapi refers to
  // them until it is freed.
  TallocOwner credentials_owner_;
  loadparm_context* conf_ = nullptr;
  cli_credentials* credentials_ = nullptr;
  libnetapi_ctx* context_ = nullptr;
};

}  // namespace corvane::netapi::samba
