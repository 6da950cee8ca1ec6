// Where the Samba backend sends its calls and as whom. Credentials come the
// way Samba's own clients take them, through Samba's credentials library: a
// user whose password is asked for, an authentication file
// ("username = ...", "password = ...", "domain = ..." lines, as for
// `smbclient -A`) or a Kerberos credentials cache; never a password in the
// configuration itself.
#pragma once

#include <functional>
#include <string>

#include "automation/secret.h"

namespace corvane::netapi {

enum class KerberosUse {
  kDefault,   // off with a password, required with a credentials cache
  kOff,       // never Kerberos
  kDesired,   // Kerberos when it works, else NTLM
  kRequired,  // Kerberos only
};

struct SambaConfig {
  // Address (or host name) of the domain controller every call goes to.
  // Kerberos needs its host name: Samba's client does not use Kerberos
  // towards an address.
  std::string controller_host;
  // NetBIOS name of the domain, and its DNS name if known.
  std::string workgroup;
  std::string realm;
  // NetBIOS name of the controller; learned from the controller lookup
  // when empty. Server names that equal it (or it followed by "." and the
  // realm) reach `controller_host`.
  std::string controller_name;
  // At most one of these two; with neither, a Kerberos credentials cache:
  // `kerberos_ccache`, or the default one (KRB5CCNAME, else the one kinit
  // fills).
  std::string username;  // USER, DOMAIN\USER or USER@REALM
  std::string auth_file;
  std::string kerberos_ccache;
  KerberosUse kerberos = KerberosUse::kDefault;
  // Asked once for the password of `username`, given "DOMAIN\USER".
  std::function<automation::SecretUtf8(const std::string& account)>
      ask_password;
  // smb.conf for libnetapi. When empty the backend writes its own client
  // configuration (host-table name resolution only, no NetBIOS) into a
  // private temporary directory: `private_dir`, a mode-700 folder the
  // caller makes and removes (the command, whose signal handler removes it
  // too); when that is empty, one the backend makes and removes itself.
  std::string client_conf;
  std::string private_dir;
};

namespace samba {

// The Kerberos use a configuration asks for, its default resolved.
inline KerberosUse EffectiveKerberos(const SambaConfig& config) {
  if (config.kerberos != KerberosUse::kDefault) return config.kerberos;
  const bool password = !config.username.empty() || !config.auth_file.empty();
  return password ? KerberosUse::kOff : KerberosUse::kRequired;
}

}  // namespace samba

}  // namespace corvane::netapi
