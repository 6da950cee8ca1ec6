// Every user account of the domain with its facts, read from one
// controller's directory over LDAP a page at a time: SAMR has no listing
// that carries the times (last logon, password set, expiry) and the
// lock-out, so a listing of facts would otherwise cost a call per user.
// The controller's replies are checked as untrusted input.
#pragma once

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#include "netapi/samba/rpc_client.h"

#ifdef __cplusplus
extern "C" {
#endif

struct loadparm_context;
struct cli_credentials;
struct corvane_ldap;
struct ldb_message;

// A user account as the directory holds it: the facts of a SAMR query
// (texts owned by the page that hands it out; `acct_flags` left 0; no
// operator rights, which only the built-in aliases' members tell), and
// the account-control bits in the platform's UF_ form, the computed
// lock-out and password-expired bits included.
struct corvane_ldap_user {
  struct corvane_rpc_user user;
  uint32_t account_control;
};

// Receives one page of accounts.
typedef void (*corvane_ldap_page)(void* context,
                                  const struct corvane_ldap_user* users,
                                  size_t count);

// Where a listing goes on: the controller's cookie for the next page
// (empty for the first), the listing done when none follows.
enum { CORVANE_LDAP_COOKIE_MAX = 4096 };
struct corvane_ldap_cursor {
  uint8_t cookie[CORVANE_LDAP_COOKIE_MAX];
  size_t cookie_length;
  bool complete;
  uint64_t asked_at;  // the NT time a query's filter is worked out by
};

// A connection to the directory of `host` (an address or name; never
// empty), bound with `credentials`, allocated in `owner`; Samba's LDAP
// client is loaded from `modules_dir`. NULL on failure, with an NT status.
struct corvane_ldap* corvane_ldap_connect(void* owner, const char* host,
                                          const char* modules_dir,
                                          struct loadparm_context* conf,
                                          struct cli_credentials* credentials,
                                          uint32_t* status);

// Every later listing asked in pages, as of a server that caps a search.
void corvane_ldap_ask_in_pages(struct corvane_ldap* ldap);

// The next page of the account domain's user accounts, handed to `page`
// (texts valid until it returns): all of them at once where the server
// allows it, else at most `page_size`; moves `cursor` on. An NT status;
// the cursor is unchanged on failure.
// `query` (CORVANE_LDAP_*, 0 for every account) asks the server to leave
// out the accounts that cannot match: those kept may match, and the caller
// still checks each.
enum {
  CORVANE_LDAP_DISABLED = 1,
  CORVANE_LDAP_LOCKED = 2,
  CORVANE_LDAP_EXPIRED = 4,  // the password or the account
  CORVANE_LDAP_NEVER_LOGGED_ON = 8,
};
uint32_t corvane_ldap_next_users(struct corvane_ldap* ldap,
                                 struct corvane_ldap_cursor* cursor,
                                 uint32_t query, uint32_t page_size,
                                 corvane_ldap_page page, void* context);

// The same walk over the accounts this controller has served a logon
// for (its own lastLogon set), each with only its name, last logon,
// bad-password count and account-control bits (lock-out computed): a
// controller keeps these of its own, so each is asked in turn.
uint32_t corvane_ldap_next_logons(struct corvane_ldap* ldap,
                                  struct corvane_ldap_cursor* cursor,
                                  uint32_t page_size, corvane_ldap_page receive,
                                  void* context);

// The same facts of the one account `name` (UTF-8), handed to `receive`;
// none handed over when the controller has no such account.
uint32_t corvane_ldap_find_logon(struct corvane_ldap* ldap, const char* name,
                                 corvane_ldap_page receive, void* context);

// The domain's lock-out duration and largest password age (negative NT
// intervals, as the directory holds them), and the time (an NT time), by
// which an account's lock-out and expired password are worked out.
struct corvane_ldap_policy {
  int64_t lockout_duration, max_password_age;
  uint64_t now;
};

// The search filter of `query` under `policy`, allocated in `owner`.
char* corvane_ldap_query_filter(void* owner, uint32_t query,
                                const struct corvane_ldap_policy* policy);

// One directory entry as an account, texts allocated in `owner`; false
// for an entry the platform cannot hold (no name, a NUL in a text, a
// number that is not one, a malformed SID), which fails the listing.
bool corvane_ldap_read_user(const struct ldb_message* entry, void* owner,
                            const struct corvane_ldap_policy* policy,
                            struct corvane_ldap_user* user);

// An entry read as by corvane_ldap_next_logons: the other fields zero.
bool corvane_ldap_read_logon(const struct ldb_message* entry, void* owner,
                             const struct corvane_ldap_policy* policy,
                             struct corvane_ldap_user* user);

#ifdef __cplusplus
}
#endif
