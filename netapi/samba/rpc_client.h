// A direct RPC channel to the controller, beside libnetapi's SMB session:
// SAMR and Netlogon over TCP, which cost less to set up than the SMB session
// (and over SMB where TCP is closed). It serves what libnetapi cannot do in
// one call safely (a group's record: Samba 4.17's NetGroupGetInfo hands its
// strings back in memory it has already released; a name's SID) and the
// look-ups and listings a command may need before it writes anything, so
// that a command that only reads never opens the SMB session.
// Samba's RPC headers are C only, hence this small C layer.
#pragma once

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

struct loadparm_context;
struct cli_credentials;
struct dom_sid;
struct corvane_rpc;

// Connects SAMR to `host` and opens its account domain (the configured
// workgroup, found in one look-up; else the one the controller lists);
// NULL with the NT status in *status when that fails. Netlogon is
// connected, over the same transport, on its first use. Everything lives
// in `owner`; `conf` and `credentials` must outlive it.
struct corvane_rpc* corvane_rpc_connect(void* owner, const char* host,
                                        struct loadparm_context* conf,
                                        struct cli_credentials* credentials,
                                        uint32_t* status);

// The platform's status for an NT status.
uint32_t corvane_rpc_error_code(uint32_t status);

// The name of `domain`'s controller as the controller gives it (allocated
// in `owner`); a platform status, as Netlogon answers with one.
uint32_t corvane_rpc_dc_name(struct corvane_rpc* rpc, void* owner,
                             const char* domain, char** name);

// The relative id and SID_NAME_USE of `name` in the account domain; an NT
// status (0 when found).
uint32_t corvane_rpc_lookup_name(struct corvane_rpc* rpc, const char* name,
                                 uint32_t* rid, uint32_t* type);

// The name (allocated in `owner`) and SID_NAME_USE of the account `rid` of
// the account domain; an NT status (0 when found).
uint32_t corvane_rpc_lookup_rid(struct corvane_rpc* rpc, void* owner,
                                uint32_t rid, char** name, uint32_t* type);

// The SID of the account `rid` of the account domain (allocated in
// `owner`), laid out as libnetapi's `struct domsid`; NULL when memory is
// short.
struct dom_sid* corvane_rpc_account_sid(struct corvane_rpc* rpc, void* owner,
                                        uint32_t rid);

// The group `rid`: its name and comment (allocated in `owner`) and
// attributes; an NT status.
uint32_t corvane_rpc_query_group(struct corvane_rpc* rpc, void* owner,
                                 uint32_t rid, char** name, char** comment,
                                 uint32_t* attributes);

// A user account as SAMR gives it (texts allocated in the owner the call
// is given; times are NT times).
struct corvane_rpc_user {
  const char* account_name;
  const char* full_name;
  const char* home_directory;
  const char* home_drive;
  const char* logon_script;
  const char* profile_path;
  const char* description;
  const char* workstations;
  const char* comment;
  const char* parameters;
  uint64_t last_logon, last_logoff, last_password_change, acct_expiry;
  uint32_t rid, primary_gid, acct_flags;
  uint32_t bad_password_count, logon_count, country_code, code_page;
  uint32_t units_per_week;
  uint8_t logon_hours[21];
  uint8_t password_expired;
  // The operator rights its built-in alias memberships give (AF_OP_*).
  uint32_t operator_flags;
};

// The account `name`; an NT status.
uint32_t corvane_rpc_query_user(struct corvane_rpc* rpc, void* owner,
                                const char* name,
                                struct corvane_rpc_user* user);

// The domain's password policy (NT time intervals, negative).
struct corvane_rpc_policy {
  uint32_t min_password_length, password_history_length;
  int64_t max_password_age, min_password_age;
  uint64_t force_logoff_time;
};
uint32_t corvane_rpc_query_policy(struct corvane_rpc* rpc,
                                  struct corvane_rpc_policy* policy);

// Receives one listed account; false stops the listing.
typedef bool (*corvane_rpc_entry)(void* context, const char* name,
                                  const char* comment);

// One batch of about `max_bytes` of the user accounts whose control bits
// include `account_bits`, or of the global groups (with comments), from
// *resume on; *resume is moved past it. An NT status: STATUS_MORE_ENTRIES
// while more follow.
uint32_t corvane_rpc_list_users(struct corvane_rpc* rpc, uint32_t account_bits,
                                uint32_t max_bytes, uint32_t* resume,
                                corvane_rpc_entry each, void* context);
uint32_t corvane_rpc_list_groups(struct corvane_rpc* rpc, uint32_t max_bytes,
                                 uint32_t* resume, corvane_rpc_entry each,
                                 void* context);

// The global groups the user `name` belongs to, each given to `each`; an
// NT status.
uint32_t corvane_rpc_list_user_groups(struct corvane_rpc* rpc, const char* name,
                                      corvane_rpc_entry each, void* context);

// The relative ids of group `name`'s members (allocated in `owner`); an
// NT status.
uint32_t corvane_rpc_group_members(struct corvane_rpc* rpc, void* owner,
                                   const char* name, uint32_t** rids,
                                   uint32_t* count);
// The most relative ids one SAMR look-up names.
enum { CORVANE_RPC_RIDS_PER_LOOKUP = 1000 };

// The names of the user accounts among `rids`, each given to `each`, named
// CORVANE_RPC_RIDS_PER_LOOKUP at a time; an NT status.
uint32_t corvane_rpc_user_names(struct corvane_rpc* rpc, const uint32_t* rids,
                                uint32_t count, corvane_rpc_entry each,
                                void* context);

// SAMR's field bits of level 21 (SAMR_FIELD_*), for C++ callers.
enum {
  CORVANE_RPC_FIELD_ACCOUNT_NAME = 0x00000001,
  CORVANE_RPC_FIELD_FULL_NAME = 0x00000002,
  CORVANE_RPC_FIELD_PRIMARY_GID = 0x00000008,
  CORVANE_RPC_FIELD_DESCRIPTION = 0x00000010,
  CORVANE_RPC_FIELD_HOME_DIRECTORY = 0x00000040,
  CORVANE_RPC_FIELD_LOGON_SCRIPT = 0x00000100,
  CORVANE_RPC_FIELD_ACCT_EXPIRY = 0x00080000,
  CORVANE_RPC_FIELD_ACCT_FLAGS = 0x00100000,
  CORVANE_RPC_FIELD_EXPIRED_FLAG = 0x08000000,
};

// The changes to a user account that SAMR's level 21 carries: only the
// fields `fields` names (CORVANE_RPC_FIELD_*) are written; texts are UTF-8.
struct corvane_rpc_user_change {
  uint32_t fields;
  const char* account_name;
  const char* full_name;
  const char* description;
  const char* home_directory;
  const char* logon_script;
  uint64_t acct_expiry;
  uint32_t acct_flags;
  uint32_t primary_gid;
  uint8_t password_expired;
};

// Writes `change` to the account `name`; an NT status.
uint32_t corvane_rpc_set_user(struct corvane_rpc* rpc, const char* name,
                              const struct corvane_rpc_user_change* change);

// Renames the global group `name`; an NT status (NT_STATUS_NO_SUCH_GROUP
// when `name` is no group).
uint32_t corvane_rpc_rename_group(struct corvane_rpc* rpc, const char* name,
                                  const char* new_name);

#ifdef __cplusplus
}
#endif
