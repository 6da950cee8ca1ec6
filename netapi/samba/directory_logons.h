// Every controller's own logons, read from its directory over LDAP with
// the session's configuration and credentials: one channel a controller,
// opened on first use and kept. Not thread-safe: the backend serialises.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "netapi/controller_logons.h"
#include "netapi/samba/ldap_channel.h"

namespace corvane::netapi::samba {

class DirectoryLogons final : public ControllerLogons {
 public:
  DirectoryLogons(loadparm_context* conf, cli_credentials* credentials)
      : conf_(conf), credentials_(credentials) {}

  NET_API_STATUS ListLogons(
      const std::string& host,
      const std::function<bool(std::span<const ControllerLogon>)>& batch)
      override;
  NET_API_STATUS ReadLogon(const std::string& host, std::u16string_view name,
                           ControllerLogon& logon) override;

 private:
  LdapChannel& ChannelTo(const std::string& host);

  loadparm_context* conf_;
  cli_credentials* credentials_;
  std::map<std::string, std::unique_ptr<LdapChannel>> channels_;
};

}  // namespace corvane::netapi::samba
