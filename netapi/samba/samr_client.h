// A second, direct SAMR channel to the controller for the look-ups
// libnetapi cannot make in one call: a group's record (Samba 4.17's
// NetGroupGetInfo hands its strings back in memory it has already
// released) and a name's SID. It goes over TCP, which costs less to set up
// than the SMB session libnetapi uses, and over SMB where TCP is closed.
// Samba's RPC headers are C only, hence this small C layer.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

struct loadparm_context;
struct cli_credentials;
struct corvane_samr;
struct dom_sid;

// Connects to `host` and opens its account domain; NULL with the NT status
// in *status when that fails. Everything lives in `owner`.
struct corvane_samr* corvane_samr_connect(void* owner, const char* host,
                                          struct loadparm_context* conf,
                                          struct cli_credentials* credentials,
                                          uint32_t* status);

// The platform's status for an NT status.
uint32_t corvane_samr_error_code(uint32_t status);

// The relative id and SID_NAME_USE of `name` in the account domain; an NT
// status (0 when found).
uint32_t corvane_samr_lookup_name(struct corvane_samr* samr, const char* name,
                                  uint32_t* rid, uint32_t* type);

// The account domain's SID, laid out as libnetapi's `struct domsid`.
const struct dom_sid* corvane_samr_domain_sid(struct corvane_samr* samr);

// The group `rid`: its name and comment (allocated in `owner`) and
// attributes; an NT status.
uint32_t corvane_samr_query_group(struct corvane_samr* samr, void* owner,
                                  uint32_t rid, char** name, char** comment,
                                  uint32_t* attributes);

#ifdef __cplusplus
}
#endif
