// Where the Samba backend sends its calls and as whom. Credentials come the
// way Samba's own clients take them: an authentication file
// ("username = ...", "password = ...", "domain = ..." lines, as for
// `smbclient -A`) or a Kerberos credentials cache; never a password in the
// configuration itself.
#pragma once

#include <string>

namespace corvane::netapi {

struct SambaConfig {
  // Address (or host name) of the domain controller every call goes to.
  std::string controller_host;
  // NetBIOS name of the domain, and its DNS name if known.
  std::string workgroup;
  std::string realm;
  // NetBIOS name of the controller; learned from the controller lookup
  // when empty. Server names that equal it (or it followed by "." and the
  // realm) reach `controller_host`.
  std::string controller_name;
  // Exactly one of these two.
  std::string auth_file;
  std::string kerberos_ccache;
  // smb.conf for libnetapi. When empty the backend writes its own client
  // configuration (host-table name resolution only, no NetBIOS) into a
  // private temporary directory.
  std::string client_conf;
};

}  // namespace corvane::netapi
