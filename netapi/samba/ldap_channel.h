// The directory of one controller over LDAP (see ldap_users.h) as the
// backend uses it: opened on first use and kept, statuses in the
// platform's numbering. Not thread-safe: callers hold the backend's lock.
#pragma once

#include <functional>
#include <span>
#include <string>

#include "netapi/samba/ldap_users.h"
#include "netapi/samba/talloc_owner.h"
#include "netapi/types.h"

struct loadparm_context;
struct cli_credentials;
struct corvane_ldap;

namespace corvane::netapi::samba {

// Users listed from the directory, their flags in the SAM form SAMR gives
// (acct_flags), ready for the record builder.
using DirectoryUsers = std::span<const corvane_rpc_user>;

class LdapChannel {
 public:
  LdapChannel(std::string host, loadparm_context* conf,
              cli_credentials* credentials);

  // The next page of at most `page_size` user accounts of the domain,
  // handed to `page` (whose texts last until it returns); `cursor` moves
  // on, and is complete after the last page. ERROR_NOT_SUPPORTED when
  // Samba's LDAP client module is not installed.
  // `query` (CORVANE_LDAP_*, 0 for all) lets the server leave out the
  // accounts that cannot match it.
  NET_API_STATUS NextUsers(corvane_ldap_cursor& cursor, std::uint32_t query,
                           DWORD page_size,
                           const std::function<void(DirectoryUsers)>& page);
  // The accounts this controller served a logon for, as NextUsers hands
  // accounts out, with only the facts corvane_ldap_next_logons reads.
  NET_API_STATUS NextLogons(corvane_ldap_cursor& cursor, DWORD page_size,
                            const std::function<void(DirectoryUsers)>& page);
  // Those facts of the account `name` (UTF-8): `found` is called once,
  // or not at all when the controller has no such account.
  NET_API_STATUS FindLogon(const std::string& name,
                           const std::function<void(DirectoryUsers)>& found);
  // Pages of at most the size asked for, as a server that caps a search
  // gives them, even where one search would do.
  void AskInPages() { in_pages_ = true; }
  // Every page in turn; `page` returns false to stop.
  NET_API_STATUS ListUsers(DWORD page_size,
                           const std::function<bool(DirectoryUsers)>& page);

 private:
  NET_API_STATUS Open();

  std::string host_;
  loadparm_context* conf_;
  cli_credentials* credentials_;
  TallocOwner owner_;
  corvane_ldap* ldap_ = nullptr;
  bool in_pages_ = false;
};

}  // namespace corvane::netapi::samba
