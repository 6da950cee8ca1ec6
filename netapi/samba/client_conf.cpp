#include "netapi/samba/client_conf.h"

#include <stdexcept>

#include "netapi/samba/samba_credentials.h"
#include "netapi/samba/talloc_owner.h"

namespace corvane::netapi::samba {

ClientConfSettings ReadClientConf(const std::string& path) {
  const TallocOwner owner = NewTallocOwner();
  loadparm_context* conf = corvane_load_conf(owner.get(), path.c_str());
  if (conf == nullptr) {
    throw std::runtime_error("cannot load the Samba configuration " + path);
  }
  const auto text = [](const char* value) {
    return std::string(value != nullptr ? value : "");
  };
  return {text(corvane_conf_workgroup(conf)), text(corvane_conf_realm(conf)),
          text(corvane_conf_password_server(conf))};
}

}  // namespace corvane::netapi::samba
