#include "netapi/samba/ldap_users.h"

#include <stdarg.h>
#include <string.h>
#include <talloc.h>
#include <tevent.h>
#include <time.h>
// clang-format off
#include <util/data_blob.h>
#include <core/ntstatus.h>
#include <credentials.h>
#include <param.h>
#include <ldb.h>
// clang-format on

// Exported by Samba's public libraries, declared only in its internal
// headers.
TALLOC_CTX* _talloc_stackframe(const char* location);
#define talloc_stackframe() _talloc_stackframe(__location__)

struct corvane_ldap {
  struct tevent_context* events;
  struct ldb_context* ldb;
  struct ldb_dn* domain;  // the account domain's naming context
  // Samba's server answers a paged search slowly (each page looks every
  // entry up again: 5,000 users take seconds against a tenth of that in
  // one search), so a listing is asked in one search; a server that caps
  // such a search (Windows: 1,000 entries) is asked in pages from then on.
  bool paged;
  struct corvane_ldap_policy policy;  // `now` set for each listing
};

// One search's entries beyond this are refused: a listing that large is
// read in pages.
enum { kLargestUnpagedListing = 1000000 };

// A normal user account, as SAMR's user listing takes them.
static const char kUserFilter[] = "(sAMAccountType=805306368)";
static const char* const kUserAttributes[] = {"sAMAccountName",
                                              "displayName",
                                              "homeDirectory",
                                              "homeDrive",
                                              "scriptPath",
                                              "profilePath",
                                              "description",
                                              "userWorkstations",
                                              "comment",
                                              "lastLogon",
                                              "lastLogoff",
                                              "pwdLastSet",
                                              "accountExpires",
                                              "objectSid",
                                              "primaryGroupID",
                                              "userAccountControl",
                                              "lockoutTime",
                                              "badPwdCount",
                                              "logonCount",
                                              "countryCode",
                                              "codePage",
                                              "logonHours",
                                              NULL};

// What one controller keeps of an account's logons on its own: none of
// these is replicated but the lock-out time.
static const char* const kLogonAttributes[] = {
    "sAMAccountName", "lastLogon",          "badPwdCount", "lockoutTime",
    "pwdLastSet",     "userAccountControl", NULL};
// The accounts a controller has served a logon for: a stale-account
// report needs no more of each controller, and the server answers it
// much sooner than a search of every account.
static const char kLoggedOnFilter[] =
    "(&(sAMAccountType=805306368)(lastLogon>=1))";

// How a search reads its entries.
typedef bool (*entry_reader)(const struct ldb_message* entry, void* owner,
                             const struct corvane_ldap_policy* policy,
                             struct corvane_ldap_user* user);
struct search {
  const char* filter;
  const char* const* attributes;
  entry_reader read;
};

// The client's own messages go nowhere: a failure is told by its status.
static void Quiet(void* context, enum ldb_debug_level level, const char* format,
                  va_list arguments) {
  (void)context;
  (void)level;
  (void)format;
  (void)arguments;
}

static bool Number(const struct ldb_message* message, const char* name,
                   uint64_t absent, uint64_t* number);

static uint32_t FromLdb(int error) {
  switch (error) {
    case LDB_SUCCESS:
      return 0;
    case LDB_ERR_INVALID_CREDENTIALS:
      return NT_STATUS_V(NT_STATUS_LOGON_FAILURE);
    case LDB_ERR_INSUFFICIENT_ACCESS_RIGHTS:
      return NT_STATUS_V(NT_STATUS_ACCESS_DENIED);
    case LDB_ERR_TIME_LIMIT_EXCEEDED:
      return NT_STATUS_V(NT_STATUS_IO_TIMEOUT);
    case LDB_ERR_BUSY:
    case LDB_ERR_UNAVAILABLE:
      return NT_STATUS_V(NT_STATUS_HOST_UNREACHABLE);
    default:
      return NT_STATUS_V(NT_STATUS_INVALID_NETWORK_RESPONSE);
  }
}

struct corvane_ldap* corvane_ldap_connect(void* owner, const char* host,
                                          const char* modules_dir,
                                          struct loadparm_context* conf,
                                          struct cli_credentials* credentials,
                                          uint32_t* status) {
  *status = NT_STATUS_V(NT_STATUS_INVALID_PARAMETER);
  if (host == NULL || host[0] == '\0') return NULL;
  *status = NT_STATUS_V(NT_STATUS_NO_MEMORY);
  TALLOC_CTX* frame = talloc_stackframe();
  struct corvane_ldap* ldap = talloc_zero(owner, struct corvane_ldap);
  if (ldap == NULL) goto failed;
  ldap->events = tevent_context_init(ldap);
  if (ldap->events == NULL) goto failed;
  ldap->ldb = ldb_init(ldap, ldap->events);
  if (ldap->ldb == NULL) goto failed;
  ldb_set_debug(ldap->ldb, Quiet, NULL);
  ldb_set_modules_dir(ldap->ldb, modules_dir);
  if (ldb_set_opaque(ldap->ldb, "credentials", credentials) != LDB_SUCCESS ||
      ldb_set_opaque(ldap->ldb, "loadparm", conf) != LDB_SUCCESS) {
    goto failed;
  }
  const char* url = strchr(host, ':') != NULL
                        ? talloc_asprintf(frame, "ldap://[%s]", host)
                        : talloc_asprintf(frame, "ldap://%s", host);
  if (url == NULL) goto failed;
  const int connected = ldb_connect(ldap->ldb, url, 0, NULL);
  if (connected != LDB_SUCCESS) {
    // Samba's LDAP client missing gives "unavailable" too: say which.
    const char* why = ldb_errstring(ldap->ldb);
    *status = why != NULL && strstr(why, "find backend") != NULL
                  ? NT_STATUS_V(NT_STATUS_NOT_SUPPORTED)
              : connected == LDB_ERR_INVALID_CREDENTIALS
                  ? NT_STATUS_V(NT_STATUS_LOGON_FAILURE)
                  : NT_STATUS_V(NT_STATUS_HOST_UNREACHABLE);
    goto failed;
  }

  // The account domain is the directory's default naming context.
  static const char* const kRootAttributes[] = {"defaultNamingContext", NULL};
  struct ldb_result* root = NULL;
  struct ldb_dn* root_dn = ldb_dn_new(frame, ldap->ldb, "");
  if (root_dn == NULL) goto failed;
  const int searched =
      ldb_search(ldap->ldb, frame, &root, root_dn, LDB_SCOPE_BASE,
                 kRootAttributes, "(objectClass=*)");
  if (searched != LDB_SUCCESS) {
    *status = FromLdb(searched);
    goto failed;
  }
  *status = NT_STATUS_V(NT_STATUS_INVALID_NETWORK_RESPONSE);
  if (root->count != 1) goto failed;
  const char* domain =
      ldb_msg_find_attr_as_string(root->msgs[0], "defaultNamingContext", NULL);
  if (domain == NULL || domain[0] == '\0') goto failed;
  ldap->domain = ldb_dn_new(ldap, ldap->ldb, domain);
  if (ldap->domain == NULL || !ldb_dn_validate(ldap->domain)) goto failed;

  // The domain's policy, by which each account's lock-out and expired
  // password are worked out here: asked of the server for every account,
  // they would take it longer than the listing itself.
  static const char* const kPolicyAttributes[] = {"lockoutDuration",
                                                  "maxPwdAge", NULL};
  struct ldb_result* policy = NULL;
  const int read_policy =
      ldb_search(ldap->ldb, frame, &policy, ldap->domain, LDB_SCOPE_BASE,
                 kPolicyAttributes, "(objectClass=*)");
  if (read_policy != LDB_SUCCESS) {
    *status = FromLdb(read_policy);
    goto failed;
  }
  uint64_t lockout = 0, age = 0;
  if (policy->count != 1 ||
      !Number(policy->msgs[0], "lockoutDuration", 0, &lockout) ||
      !Number(policy->msgs[0], "maxPwdAge", 0, &age)) {
    goto failed;
  }
  ldap->policy.lockout_duration = (int64_t)lockout;
  ldap->policy.max_password_age = (int64_t)age;
  *status = 0;
  talloc_free(frame);
  return ldap;

failed:
  talloc_free(ldap);
  talloc_free(frame);
  return NULL;
}

// One page as it arrives: accounts, their texts in `texts`.
struct page {
  struct corvane_ldap_user* users;
  size_t count, capacity;
  bool growing;  // an unpaged search, whose entries are not counted ahead
  const struct corvane_ldap_policy* policy;
  entry_reader read;
  TALLOC_CTX* texts;
  struct ldb_control** done_controls;
  uint32_t status;  // an entry the platform cannot hold
};

// A text value: absent is "", one holding a NUL is refused.
static bool Text(const struct ldb_message* message, const char* name,
                 TALLOC_CTX* owner, const char** text) {
  const struct ldb_val* value = ldb_msg_find_ldb_val(message, name);
  if (value == NULL || value->length == 0) {
    *text = "";
    return true;
  }
  if (value->data == NULL || memchr(value->data, 0, value->length) != NULL) {
    return false;
  }
  *text = talloc_strndup(owner, (const char*)value->data, value->length);
  return *text != NULL;
}

// A whole number, decimal with an optional sign, as LDAP writes integers;
// absent is `absent`. Anything else is refused, never read in part.
static bool Number(const struct ldb_message* message, const char* name,
                   uint64_t absent, uint64_t* number) {
  const struct ldb_val* value = ldb_msg_find_ldb_val(message, name);
  if (value == NULL) {
    *number = absent;
    return true;
  }
  const uint8_t* digit = value->data;
  size_t left = value->length;
  const bool negative = left > 0 && *digit == '-';
  if (negative) {
    ++digit;
    --left;
  }
  if (left == 0 || left > 20) return false;
  uint64_t result = 0;
  for (; left > 0; ++digit, --left) {
    if (*digit < '0' || *digit > '9') return false;
    const uint64_t next = result * 10 + (uint64_t)(*digit - '0');
    if (next / 10 != result) return false;  // past 64 bits
    result = next;
  }
  *number = negative ? (uint64_t)0 - result : result;
  return true;
}

// The relative id: the last sub-authority of a well-formed binary SID.
static bool RelativeId(const struct ldb_message* message, uint32_t* rid) {
  const struct ldb_val* value = ldb_msg_find_ldb_val(message, "objectSid");
  if (value == NULL || value->length < 12) return false;
  const uint8_t* sid = value->data;
  const size_t subs = sid[1];
  if (sid[0] != 1 || subs == 0 || value->length != 8 + 4 * subs) return false;
  const uint8_t* last = sid + value->length - 4;
  *rid = (uint32_t)last[0] | (uint32_t)last[1] << 8 | (uint32_t)last[2] << 16 |
         (uint32_t)last[3] << 24;
  return true;
}

// Accounts whose password never expires, and trust accounts.
static const uint64_t kNoPasswordExpiry =
    0x00010000u | 0x00000800u | 0x00001000u | 0x00002000u;

// The account-control bits a controller works out (lock-out, expired
// password) from the account's times and the domain's policy, as Samba
// works out msDS-User-Account-Control-Computed.
static uint32_t ComputedControl(uint64_t control, int64_t password_set,
                                int64_t locked_at,
                                const struct corvane_ldap_policy* policy) {
  const int64_t kNever = INT64_MIN;  // the directory's "for ever"
  const int64_t now = (int64_t)policy->now;
  uint32_t computed = 0;
  if (locked_at != 0) {
    const int64_t duration = policy->lockout_duration;  // negative
    if (duration >= 0 || duration == kNever || now < locked_at - duration) {
      computed |= 0x00000010u;  // LOCKOUT
    }
  }
  if ((control & kNoPasswordExpiry) == 0) {
    const int64_t age = policy->max_password_age;  // negative
    if (password_set == 0 ||
        (age != 0 && age != kNever && now > password_set - age)) {
      computed |= 0x00800000u;  // PASSWORD_EXPIRED
    }
  }
  return computed;
}

bool corvane_ldap_read_logon(const struct ldb_message* message, void* owner,
                             const struct corvane_ldap_policy* policy,
                             struct corvane_ldap_user* out) {
  struct corvane_rpc_user* user = &out->user;
  memset(out, 0, sizeof *out);
  if (!Text(message, "sAMAccountName", owner, &user->account_name) ||
      user->account_name[0] == '\0') {
    return false;
  }
  uint64_t control = 0, locked_at = 0, bad = 0;
  if (!Number(message, "lastLogon", 0, &user->last_logon) ||
      !Number(message, "badPwdCount", 0, &bad) ||
      !Number(message, "lockoutTime", 0, &locked_at) ||
      !Number(message, "pwdLastSet", 0, &user->last_password_change) ||
      !Number(message, "userAccountControl", 0, &control)) {
    return false;
  }
  user->bad_password_count = (uint32_t)bad;
  out->account_control =
      (uint32_t)control |
      ComputedControl(control, (int64_t)user->last_password_change,
                      (int64_t)locked_at, policy);
  return true;
}

bool corvane_ldap_read_user(const struct ldb_message* message, void* owner,
                            const struct corvane_ldap_policy* policy,
                            struct corvane_ldap_user* out) {
  // The name, the logon facts and the account-control bits, as a logon
  // listing reads them; then the rest of the record.
  if (!corvane_ldap_read_logon(message, owner, policy, out)) return false;
  struct corvane_rpc_user* user = &out->user;
  const struct {
    const char* name;
    const char** text;
  } texts[] = {
      {"displayName", &user->full_name},
      {"homeDirectory", &user->home_directory},
      {"homeDrive", &user->home_drive},
      {"scriptPath", &user->logon_script},
      {"profilePath", &user->profile_path},
      {"description", &user->description},
      {"userWorkstations", &user->workstations},
      {"comment", &user->comment},
  };
  for (size_t i = 0; i < sizeof texts / sizeof texts[0]; ++i) {
    if (!Text(message, texts[i].name, owner, texts[i].text)) return false;
  }
  user->parameters = "";

  uint64_t primary = 0, logons = 0, country = 0, page = 0;
  if (!Number(message, "lastLogoff", 0, &user->last_logoff) ||
      !Number(message, "accountExpires", 0, &user->acct_expiry) ||
      !Number(message, "primaryGroupID", 513, &primary) ||
      !Number(message, "logonCount", 0, &logons) ||
      !Number(message, "countryCode", 0, &country) ||
      !Number(message, "codePage", 0, &page) ||
      !RelativeId(message, &user->rid)) {
    return false;
  }
  // The directory's 0 and largest time both mean "never expires".
  if (user->acct_expiry == 0) user->acct_expiry = 0x7FFFFFFFFFFFFFFFull;
  user->primary_gid = (uint32_t)primary;
  user->logon_count = (uint32_t)logons;
  user->country_code = (uint32_t)country;
  user->code_page = (uint32_t)page;
  // SAMR's must-change: no password set since it was asked for, on an
  // account whose password can expire.
  user->password_expired = user->last_password_change == 0 &&
                           (out->account_control & kNoPasswordExpiry) == 0;

  user->units_per_week = 168;
  const struct ldb_val* hours = ldb_msg_find_ldb_val(message, "logonHours");
  if (hours != NULL && hours->length == sizeof user->logon_hours) {
    memcpy(user->logon_hours, hours->data, sizeof user->logon_hours);
  } else {
    memset(user->logon_hours, 0xFF, sizeof user->logon_hours);
  }
  return true;
}

static int OnReply(struct ldb_request* request, struct ldb_reply* reply) {
  struct page* page = request->context;
  if (reply == NULL) {
    return ldb_request_done(request, LDB_ERR_OPERATIONS_ERROR);
  }
  if (reply->error != LDB_SUCCESS) {
    const int error = reply->error;
    talloc_free(reply);
    return ldb_request_done(request, error);
  }
  switch (reply->type) {
    case LDB_REPLY_ENTRY:
      if (page->count == page->capacity && page->growing &&
          page->capacity < kLargestUnpagedListing) {
        struct corvane_ldap_user* more =
            talloc_realloc(page->texts, page->users, struct corvane_ldap_user,
                           page->capacity * 2);
        if (more == NULL) {
          page->status = NT_STATUS_V(NT_STATUS_NO_MEMORY);
          break;
        }
        page->users = more;
        page->capacity *= 2;
      }
      if (page->count == page->capacity) {
        // More than the page size asked for: a broken or hostile reply.
        page->status = NT_STATUS_V(NT_STATUS_INVALID_NETWORK_RESPONSE);
      } else if (!page->read(reply->message, page->texts, page->policy,
                             &page->users[page->count])) {
        page->status = NT_STATUS_V(NT_STATUS_INVALID_NETWORK_RESPONSE);
      } else {
        ++page->count;
      }
      break;
    case LDB_REPLY_REFERRAL:
      break;
    case LDB_REPLY_DONE:
      page->done_controls = talloc_steal(request, reply->controls);
      talloc_free(reply);
      return ldb_request_done(request, LDB_SUCCESS);
  }
  talloc_free(reply);
  return LDB_SUCCESS;
}

// Where the next page starts, from a finished page's controls: no cookie
// (a server that does not page, or the last page) completes the listing.
static bool MoveOn(struct ldb_control** controls,
                   struct corvane_ldap_cursor* cursor) {
  for (size_t i = 0; controls != NULL && controls[i] != NULL; ++i) {
    if (strcmp(controls[i]->oid, LDB_CONTROL_PAGED_RESULTS_OID) != 0) continue;
    const struct ldb_paged_control* paged = controls[i]->data;
    if (paged == NULL || paged->cookie_len <= 0 || paged->cookie == NULL) {
      break;
    }
    if ((size_t)paged->cookie_len > sizeof cursor->cookie) return false;
    memcpy(cursor->cookie, paged->cookie, (size_t)paged->cookie_len);
    cursor->cookie_length = (size_t)paged->cookie_len;
    return true;
  }
  cursor->cookie_length = 0;
  cursor->complete = true;
  return true;
}

void corvane_ldap_ask_in_pages(struct corvane_ldap* ldap) {
  ldap->paged = true;
}

// The time as an NT time (100 ns since 1601).
static uint64_t NtNow(void) {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return ((uint64_t)now.tv_sec + 11644473600ull) * 10000000ull +
         (uint64_t)now.tv_nsec / 100;
}

// One search, paged with `paging` unless it is NULL; the entries into
// `page`, the finished page's controls with them.
static int Search(struct corvane_ldap* ldap, TALLOC_CTX* frame,
                  const struct search* search, struct ldb_paged_control* paging,
                  struct page* page) {
  struct ldb_request* request = NULL;
  int searched = ldb_build_search_req(&request, ldap->ldb, frame, ldap->domain,
                                      LDB_SCOPE_SUBTREE, search->filter,
                                      (const char**)search->attributes, NULL,
                                      page, OnReply, NULL);
  if (searched == LDB_SUCCESS && paging != NULL) {
    searched = ldb_request_add_control(request, LDB_CONTROL_PAGED_RESULTS_OID,
                                       true, paging);
  }
  if (searched == LDB_SUCCESS) searched = ldb_request(ldap->ldb, request);
  if (searched == LDB_SUCCESS) {
    searched = ldb_wait(request->handle, LDB_WAIT_ALL);
  }
  return searched;
}

static uint32_t NextPage(struct corvane_ldap* ldap, const struct search* search,
                         struct corvane_ldap_cursor* cursor, uint32_t page_size,
                         corvane_ldap_page receive, void* context) {
  if (page_size == 0 || page_size > 100000 || cursor->complete) {
    return NT_STATUS_V(NT_STATUS_INVALID_PARAMETER);
  }
  uint32_t status = NT_STATUS_V(NT_STATUS_NO_MEMORY);
  TALLOC_CTX* frame = talloc_stackframe();
  struct ldb_paged_control* paging =
      talloc_zero(frame, struct ldb_paged_control);
  struct page page = {0};
  ldap->policy.now = NtNow();
  page.policy = &ldap->policy;
  page.read = search->read;
  page.capacity = page_size;
  page.texts = frame;
  page.users = talloc_array(frame, struct corvane_ldap_user, page_size);
  if (paging == NULL || page.users == NULL) goto done;
  struct corvane_ldap_cursor next = *cursor;
  int searched = LDB_ERR_SIZE_LIMIT_EXCEEDED;
  if (!ldap->paged && cursor->cookie_length == 0) {
    page.growing = true;
    searched = Search(ldap, frame, search, NULL, &page);
    if (searched == LDB_ERR_SIZE_LIMIT_EXCEEDED) {
      ldap->paged = true;
      page.count = 0;
      page.status = 0;
    } else {
      next.complete = true;
    }
    page.growing = false;
  }
  if (searched == LDB_ERR_SIZE_LIMIT_EXCEEDED) {
    paging->size = (int)page_size;
    if (cursor->cookie_length > 0) {
      paging->cookie =
          talloc_memdup(paging, cursor->cookie, cursor->cookie_length);
      if (paging->cookie == NULL) goto done;
      paging->cookie_len = (int)cursor->cookie_length;
    }
    if (page.count == 0 && page.capacity > page_size) page.capacity = page_size;
    searched = Search(ldap, frame, search, paging, &page);
    // A page without entries that promises more would loop for ever.
    if (searched == LDB_SUCCESS && (!MoveOn(page.done_controls, &next) ||
                                    (page.count == 0 && !next.complete))) {
      status = NT_STATUS_V(NT_STATUS_INVALID_NETWORK_RESPONSE);
      goto done;
    }
  }
  if (searched != LDB_SUCCESS) {
    status = FromLdb(searched);
    goto done;
  }
  status = page.status;
  if (status != 0) goto done;
  *cursor = next;
  if (page.count > 0) receive(context, page.users, page.count);
done:
  talloc_free(frame);
  return status;
}

char* corvane_ldap_query_filter(void* owner, uint32_t query,
                                const struct corvane_ldap_policy* policy) {
  char* filter = talloc_strdup(owner, "(&(sAMAccountType=805306368)");
  if (filter != NULL && (query & CORVANE_LDAP_DISABLED) != 0) {
    filter = talloc_strdup_append(
        filter, "(userAccountControl:1.2.840.113556.1.4.803:=2)");
  }
  if (filter != NULL && (query & CORVANE_LDAP_LOCKED) != 0) {
    filter = talloc_strdup_append(filter, "(lockoutTime>=1)");
  }
  if (filter != NULL && (query & CORVANE_LDAP_NEVER_LOGGED_ON) != 0) {
    filter = talloc_strdup_append(filter, "(|(!(lastLogon=*))(lastLogon=0))");
  }
  if (filter != NULL && (query & CORVANE_LDAP_EXPIRED) != 0) {
    // A password set to be changed, one older than the largest age, or an
    // account past its expiry (0 and the largest time: never).
    const int64_t now = (int64_t)policy->now;
    const int64_t age = policy->max_password_age;  // negative
    const bool ages = age < 0 && age != INT64_MIN;
    filter = talloc_asprintf_append(
        filter,
        "(|(pwdLastSet=0)%s(&(accountExpires>=1)(accountExpires<=%lld)))",
        ages ? talloc_asprintf(filter, "(pwdLastSet<=%lld)",
                               (long long)(now + age))
             : "",
        (long long)now);
  }
  return filter == NULL ? NULL : talloc_strdup_append(filter, ")");
}

uint32_t corvane_ldap_next_users(struct corvane_ldap* ldap,
                                 struct corvane_ldap_cursor* cursor,
                                 uint32_t query, uint32_t page_size,
                                 corvane_ldap_page receive, void* context) {
  TALLOC_CTX* frame = talloc_stackframe();
  // Every page of a listing asks with the same filter, as paging needs.
  if (cursor->cookie_length == 0) cursor->asked_at = NtNow();
  struct corvane_ldap_policy asked = ldap->policy;
  asked.now = cursor->asked_at;
  const char* filter = query == 0
                           ? kUserFilter
                           : corvane_ldap_query_filter(frame, query, &asked);
  uint32_t status = NT_STATUS_V(NT_STATUS_NO_MEMORY);
  if (filter != NULL) {
    const struct search search = {filter, kUserAttributes,
                                  corvane_ldap_read_user};
    status = NextPage(ldap, &search, cursor, page_size, receive, context);
  }
  talloc_free(frame);
  return status;
}

uint32_t corvane_ldap_next_logons(struct corvane_ldap* ldap,
                                  struct corvane_ldap_cursor* cursor,
                                  uint32_t page_size, corvane_ldap_page receive,
                                  void* context) {
  const struct search search = {kLoggedOnFilter, kLogonAttributes,
                                corvane_ldap_read_logon};
  return NextPage(ldap, &search, cursor, page_size, receive, context);
}

uint32_t corvane_ldap_find_logon(struct corvane_ldap* ldap, const char* name,
                                 corvane_ldap_page receive, void* context) {
  TALLOC_CTX* frame = talloc_stackframe();
  // The name as a filter value, every special character escaped.
  char* value = ldb_binary_encode_string(frame, name);
  char* filter = value == NULL ? NULL
                               : talloc_asprintf(frame,
                                                 "(&(sAMAccountType=805306368)"
                                                 "(sAMAccountName=%s))",
                                                 value);
  uint32_t status = NT_STATUS_V(NT_STATUS_NO_MEMORY);
  if (filter != NULL) {
    const struct search search = {filter, kLogonAttributes,
                                  corvane_ldap_read_logon};
    struct corvane_ldap_cursor cursor = {0};
    // One search, never paged: a name is one account.
    const bool paged = ldap->paged;
    ldap->paged = false;
    status = NextPage(ldap, &search, &cursor, 1, receive, context);
    ldap->paged = paged;
  }
  talloc_free(frame);
  return status;
}
