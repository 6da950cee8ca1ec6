// Samba's credentials and smb.conf libraries, reached through a small C
// layer: their headers do not compile as C++. Every object lives in the
// talloc context the caller passes.
#pragma once

#include <stdbool.h>

#ifdef __cplusplus
extern "C" {
#endif

struct loadparm_context;
struct cli_credentials;

// The smb.conf at `path`; NULL when it cannot be loaded.
struct loadparm_context* corvane_load_conf(void* owner, const char* path);
// Its settings; NULL when unset. "password server" names the controller.
const char* corvane_conf_workgroup(struct loadparm_context* conf);
const char* corvane_conf_realm(struct loadparm_context* conf);
const char* corvane_conf_password_server(struct loadparm_context* conf);

// Credentials whose defaults (domain, realm, Kerberos use) come from `conf`;
// without `domain_known`, no domain unless the user names one.
struct cli_credentials* corvane_credentials_new(void* owner,
                                                struct loadparm_context* conf,
                                                bool domain_known);
// USER, DOMAIN\USER or USER@REALM, as Samba's -U takes it.
void corvane_credentials_set_user(struct cli_credentials* credentials,
                                  const char* user);
bool corvane_credentials_set_password(struct cli_credentials* credentials,
                                      const char* password);
// "DOMAIN\user" or "user@REALM", for a prompt.
const char* corvane_credentials_account(struct cli_credentials* credentials,
                                        void* owner);
bool corvane_credentials_read_file(struct cli_credentials* credentials,
                                   const char* path);
// A Kerberos credentials cache: `name`, or the default one when NULL.
// 0 when it holds a ticket, else the reason in *error.
int corvane_credentials_use_ccache(struct cli_credentials* credentials,
                                   struct loadparm_context* conf,
                                   const char* name, const char** error);
// 0 off, 1 desired, 2 required.
void corvane_credentials_set_kerberos(struct cli_credentials* credentials,
                                      int use);

#ifdef __cplusplus
}
#endif
