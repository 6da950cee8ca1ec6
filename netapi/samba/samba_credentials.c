#include "netapi/samba/samba_credentials.h"

#include <stdint.h>
#include <talloc.h>
// clang-format off
#include <credentials.h>
#include <param.h>
// clang-format on

// Exported by libsamba-hostconfig, declared only in Samba's internal
// headers.
const char* lpcfg_workgroup(struct loadparm_context*);
const char* lpcfg_password_server(struct loadparm_context*);

static const char* NonEmpty(const char* text) {
  return text != NULL && text[0] != '\0' ? text : NULL;
}

struct loadparm_context* corvane_load_conf(void* owner, const char* path) {
  struct loadparm_context* conf = loadparm_init(owner);
  if (conf == NULL) return NULL;
  if (!lpcfg_load(conf, path)) {
    talloc_free(conf);
    return NULL;
  }
  return conf;
}

const char* corvane_conf_workgroup(struct loadparm_context* conf) {
  return NonEmpty(lpcfg_workgroup(conf));
}

const char* corvane_conf_realm(struct loadparm_context* conf) {
  return NonEmpty(lpcfg_realm(conf));
}

const char* corvane_conf_password_server(struct loadparm_context* conf) {
  const char* server = NonEmpty(lpcfg_password_server(conf));
  // "*" asks for a lookup of the domain's controllers: no single name.
  if (server != NULL && server[0] == '*') return NULL;
  return server;
}

struct cli_credentials* corvane_credentials_new(void* owner,
                                                struct loadparm_context* conf,
                                                bool domain_known) {
  struct cli_credentials* credentials = cli_credentials_init(owner);
  if (credentials != NULL && !cli_credentials_set_conf(credentials, conf)) {
    talloc_free(credentials);
    return NULL;
  }
  // Not Samba's stand-in "WORKGROUP": the controller then takes the
  // account as one of its own domain.
  if (credentials != NULL && !domain_known) {
    cli_credentials_set_domain(credentials, "", CRED_SMB_CONF);
  }
  return credentials;
}

void corvane_credentials_set_user(struct cli_credentials* credentials,
                                  const char* user) {
  cli_credentials_parse_string(credentials, user, CRED_SPECIFIED);
}

bool corvane_credentials_set_password(struct cli_credentials* credentials,
                                      const char* password) {
  return cli_credentials_set_password(credentials, password, CRED_SPECIFIED);
}

const char* corvane_credentials_account(struct cli_credentials* credentials,
                                        void* owner) {
  return cli_credentials_get_unparsed_name(credentials, owner);
}

bool corvane_credentials_read_file(struct cli_credentials* credentials,
                                   const char* path) {
  return cli_credentials_parse_file(credentials, path, CRED_SPECIFIED);
}

int corvane_credentials_use_ccache(struct cli_credentials* credentials,
                                   struct loadparm_context* conf,
                                   const char* name, const char** error) {
  // An empty password, known ahead of the cache, keeps libnetapi from
  // prompting for one and Samba from a password kinit: the cache's ticket
  // is used.
  cli_credentials_set_password(credentials, "", CRED_GUESS_ENV);
  const int status = cli_credentials_set_ccache(credentials, conf, name,
                                                CRED_SPECIFIED, error);
  if (status != 0) return status;
  // A missing cache is opened without complaint; it holds no principal.
  void* scratch = talloc_new(NULL);
  const bool holds_ticket =
      cli_credentials_get_principal(credentials, scratch) != NULL;
  talloc_free(scratch);
  if (!holds_ticket) *error = "it holds no ticket";
  return holds_ticket ? 0 : -1;
}

void corvane_credentials_set_kerberos(struct cli_credentials* credentials,
                                      int use) {
  const enum credentials_use_kerberos state =
      use == 2   ? CRED_USE_KERBEROS_REQUIRED
      : use == 1 ? CRED_USE_KERBEROS_DESIRED
                 : CRED_USE_KERBEROS_DISABLED;
  cli_credentials_set_kerberos_state(credentials, state, CRED_SPECIFIED);
}
