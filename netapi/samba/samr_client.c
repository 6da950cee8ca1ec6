#include "netapi/samba/samr_client.h"

#include <stdbool.h>
#include <string.h>
#include <talloc.h>
#include <tevent.h>
// clang-format off
#include <util/data_blob.h>
#include <core/ntstatus.h>
#include <credentials.h>
#include <param.h>
#include <dcerpc.h>
#include <core/error.h>
#include <gen_ndr/ndr_samr.h>
// clang-format on

// Exported by libsamba-util, declared only in Samba's internal headers.
TALLOC_CTX* _talloc_stackframe(const char* location);
#define talloc_stackframe() _talloc_stackframe(__location__)

struct corvane_samr {
  struct tevent_context* events;
  struct dcerpc_pipe* pipe;
  struct policy_handle connection;
  struct policy_handle domain;
  struct dom_sid* domain_sid;
};

// One SAMR call through the generic stub: the typed wrappers live in a
// private Samba library whose symbols change with every release.
static NTSTATUS Call(struct corvane_samr* samr, uint32_t operation,
                     TALLOC_CTX* memory, void* request) {
  return dcerpc_binding_handle_call(samr->pipe->binding_handle, NULL,
                                    &ndr_table_samr, operation, memory,
                                    request);
}

static uint32_t Status(NTSTATUS transport, NTSTATUS result) {
  return NT_STATUS_V(NT_STATUS_IS_OK(transport) ? result : transport);
}

// The account domain: the one that is not "Builtin".
static uint32_t OpenAccountDomain(struct corvane_samr* samr,
                                  TALLOC_CTX* frame) {
  struct samr_Connect2 connect = {0};
  connect.in.system_name = "";
  connect.in.access_mask = SAMR_ACCESS_ENUM_DOMAINS | SAMR_ACCESS_LOOKUP_DOMAIN;
  connect.out.connect_handle = &samr->connection;
  uint32_t status = Status(Call(samr, NDR_SAMR_CONNECT2, frame, &connect),
                           connect.out.result);
  if (status != 0) return status;

  uint32_t resume = 0, count = 0;
  struct samr_SamArray* domains = NULL;
  struct samr_EnumDomains list = {0};
  list.in.connect_handle = &samr->connection;
  list.in.resume_handle = &resume;
  list.in.buf_size = 0xFFFFFFFF;
  list.out.resume_handle = &resume;
  list.out.sam = &domains;
  list.out.num_entries = &count;
  status =
      Status(Call(samr, NDR_SAMR_ENUMDOMAINS, frame, &list), list.out.result);
  if (status != 0) return status;
  const char* name = NULL;
  for (uint32_t i = 0; domains != NULL && i < domains->count; ++i) {
    const char* candidate = domains->entries[i].name.string;
    if (candidate != NULL && strcasecmp(candidate, "Builtin") != 0) {
      name = candidate;
      break;
    }
  }
  if (name == NULL) return NT_STATUS_V(NT_STATUS_NO_SUCH_DOMAIN);

  struct lsa_String domain_name = {0};
  domain_name.string = name;
  struct dom_sid2* sid = NULL;
  struct samr_LookupDomain lookup = {0};
  lookup.in.connect_handle = &samr->connection;
  lookup.in.domain_name = &domain_name;
  lookup.out.sid = &sid;
  status = Status(Call(samr, NDR_SAMR_LOOKUPDOMAIN, frame, &lookup),
                  lookup.out.result);
  if (status != 0) return status;
  samr->domain_sid = talloc_memdup(samr, sid, sizeof(*sid));
  if (samr->domain_sid == NULL) return NT_STATUS_V(NT_STATUS_NO_MEMORY);

  struct samr_OpenDomain open = {0};
  open.in.connect_handle = &samr->connection;
  open.in.access_mask = SAMR_DOMAIN_ACCESS_OPEN_ACCOUNT;
  open.in.sid = samr->domain_sid;
  open.out.domain_handle = &samr->domain;
  return Status(Call(samr, NDR_SAMR_OPENDOMAIN, frame, &open), open.out.result);
}

struct corvane_samr* corvane_samr_connect(void* owner, const char* host,
                                          struct loadparm_context* conf,
                                          struct cli_credentials* credentials,
                                          uint32_t* status) {
  // TCP first; SMB where only the file-sharing port is open.
  const char* transports[] = {"ncacn_ip_tcp", "ncacn_np"};
  NTSTATUS connected = NT_STATUS_NO_MEMORY;
  TALLOC_CTX* frame = talloc_stackframe();
  struct corvane_samr* samr = talloc_zero(owner, struct corvane_samr);
  *status = NT_STATUS_V(NT_STATUS_NO_MEMORY);
  if (samr == NULL) goto done;
  samr->events = tevent_context_init(samr);
  if (samr->events == NULL) goto failed;
  dcerpc_init();
  for (size_t i = 0; i < 2 && !NT_STATUS_IS_OK(connected); ++i) {
    const char* binding =
        talloc_asprintf(frame, "%s:%s[sign]", transports[i], host);
    if (binding == NULL) goto failed;
    connected = dcerpc_pipe_connect(samr, &samr->pipe, binding, &ndr_table_samr,
                                    credentials, samr->events, conf);
  }
  *status = NT_STATUS_V(connected);
  if (!NT_STATUS_IS_OK(connected)) goto failed;
  *status = OpenAccountDomain(samr, frame);
  if (*status == 0) goto done;
failed:
  talloc_free(samr);
  samr = NULL;
done:
  talloc_free(frame);
  return samr;
}

uint32_t corvane_samr_error_code(uint32_t status) {
  return W_ERROR_V(ntstatus_to_werror(NT_STATUS(status)));
}

uint32_t corvane_samr_lookup_name(struct corvane_samr* samr, const char* name,
                                  uint32_t* rid, uint32_t* type) {
  TALLOC_CTX* frame = talloc_stackframe();
  struct lsa_String wanted = {0};
  wanted.string = name;
  struct samr_Ids rids = {0}, types = {0};
  struct samr_LookupNames lookup = {0};
  lookup.in.domain_handle = &samr->domain;
  lookup.in.num_names = 1;
  lookup.in.names = &wanted;
  lookup.out.rids = &rids;
  lookup.out.types = &types;
  uint32_t status = Status(Call(samr, NDR_SAMR_LOOKUPNAMES, frame, &lookup),
                           lookup.out.result);
  if (status == 0 && (rids.count != 1 || types.count != 1)) {
    status = NT_STATUS_V(NT_STATUS_INVALID_NETWORK_RESPONSE);
  }
  if (status == 0) {
    *rid = rids.ids[0];
    *type = types.ids[0];
  }
  talloc_free(frame);
  return status;
}

const struct dom_sid* corvane_samr_domain_sid(struct corvane_samr* samr) {
  return samr->domain_sid;
}

uint32_t corvane_samr_query_group(struct corvane_samr* samr, void* owner,
                                  uint32_t rid, char** name, char** comment,
                                  uint32_t* attributes) {
  TALLOC_CTX* frame = talloc_stackframe();
  struct policy_handle group;
  struct samr_OpenGroup open = {0};
  open.in.domain_handle = &samr->domain;
  open.in.access_mask = SAMR_GROUP_ACCESS_LOOKUP_INFO;
  open.in.rid = rid;
  open.out.group_handle = &group;
  union samr_GroupInfo* info = NULL;
  struct samr_QueryGroupInfo query = {0};
  struct samr_Close close = {0};
  uint32_t status =
      Status(Call(samr, NDR_SAMR_OPENGROUP, frame, &open), open.out.result);
  if (status != 0) goto done;

  query.in.group_handle = &group;
  query.in.level = GROUPINFOALL2;
  query.out.info = &info;
  status = Status(Call(samr, NDR_SAMR_QUERYGROUPINFO, frame, &query),
                  query.out.result);
  if (status == 0) {
    const char* found_name = info->all2.name.string;
    const char* found_comment = info->all2.description.string;
    *name = talloc_strdup(owner, found_name ? found_name : "");
    *comment = talloc_strdup(owner, found_comment ? found_comment : "");
    *attributes = info->all2.attributes;
    if (*name == NULL || *comment == NULL) {
      status = NT_STATUS_V(NT_STATUS_NO_MEMORY);
    }
  }
  // The controller keeps every open handle until it is closed.
  close.in.handle = &group;
  close.out.handle = &group;
  Call(samr, NDR_SAMR_CLOSE, frame, &close);
done:
  talloc_free(frame);
  return status;
}
