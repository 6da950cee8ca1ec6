#include "netapi/samba/rpc_client.h"

#include <string.h>
#include <talloc.h>
#include <tevent.h>

#include "netapi/samba/rpc_replies.h"
// clang-format off
#include <util/data_blob.h>
#include <util/discard.h>
#include <core/ntstatus.h>
#include <core/error.h>
#include <credentials.h>
#include <param.h>
#include <dcerpc.h>
#include <gen_ndr/ndr_samr.h>
#include <gen_ndr/netlogon.h>
// clang-format on

// Exported by Samba's public libraries, declared only in its internal
// headers.
TALLOC_CTX* _talloc_stackframe(const char* location);
#define talloc_stackframe() _talloc_stackframe(__location__)
extern const struct ndr_interface_table ndr_table_netlogon;
const char* lpcfg_workgroup(struct loadparm_context* conf);
enum { kNetrGetDcName = 11 };

struct corvane_rpc {
  const char* host;
  // Where and how SAMR was reached, for Netlogon's connection, which is
  // made only when the controller's name is asked for.
  char* binding;
  struct loadparm_context* conf;
  struct cli_credentials* credentials;
  struct policy_handle builtin;  // opened on first use
  bool builtin_open;
  struct tevent_context* events;
  struct dcerpc_pipe* samr;
  struct dcerpc_pipe* netlogon;
  struct policy_handle connection;
  struct policy_handle domain;
  struct dom_sid* domain_sid;
};

// One call through the generic stub: the typed wrappers live in a private
// Samba library whose symbols change with every release.
static NTSTATUS Call(struct dcerpc_pipe* pipe,
                     const struct ndr_interface_table* table,
                     uint32_t operation, TALLOC_CTX* memory, void* request) {
  return dcerpc_binding_handle_call(pipe->binding_handle, NULL, table,
                                    operation, memory, request);
}

static NTSTATUS Samr(struct corvane_rpc* rpc, uint32_t operation,
                     TALLOC_CTX* memory, void* request) {
  return Call(rpc->samr, &ndr_table_samr, operation, memory, request);
}

static uint32_t Status(NTSTATUS transport, NTSTATUS result) {
  return NT_STATUS_V(NT_STATUS_IS_OK(transport) ? result : transport);
}

// The controller keeps every open handle until it is closed.
static void Close(struct corvane_rpc* rpc, TALLOC_CTX* frame,
                  struct policy_handle* handle) {
  struct samr_Close close = {0};
  close.in.handle = handle;
  close.out.handle = handle;
  Samr(rpc, NDR_SAMR_CLOSE, frame, &close);
}

// The group `rid` of the account domain, opened with `access`.
static uint32_t OpenGroup(struct corvane_rpc* rpc, TALLOC_CTX* frame,
                          uint32_t rid, uint32_t access,
                          struct policy_handle* group) {
  struct samr_OpenGroup open = {0};
  open.in.domain_handle = &rpc->domain;
  open.in.access_mask = access;
  open.in.rid = rid;
  open.out.group_handle = group;
  return Status(Samr(rpc, NDR_SAMR_OPENGROUP, frame, &open), open.out.result);
}

// The SID of the domain `name` (not "Builtin") into rpc->domain_sid; an NT
// status.
static uint32_t LookupDomain(struct corvane_rpc* rpc, TALLOC_CTX* frame,
                             const char* name) {
  if (name == NULL || name[0] == '\0' || strcasecmp(name, "Builtin") == 0) {
    return NT_STATUS_V(NT_STATUS_NO_SUCH_DOMAIN);
  }
  struct lsa_String domain_name = {0};
  domain_name.string = name;
  struct dom_sid2* sid = NULL;
  struct samr_LookupDomain lookup = {0};
  lookup.in.connect_handle = &rpc->connection;
  lookup.in.domain_name = &domain_name;
  lookup.out.sid = &sid;
  uint32_t status =
      NT_STATUS_V(Samr(rpc, NDR_SAMR_LOOKUPDOMAIN, frame, &lookup));
  if (status == 0) status = corvane_reply_lookup_domain(&lookup);
  if (status != 0) return status;
  rpc->domain_sid = talloc_memdup(rpc, sid, sizeof(*sid));
  return rpc->domain_sid != NULL ? 0 : NT_STATUS_V(NT_STATUS_NO_MEMORY);
}

// The account domain: the configured one, found in one look-up; else the
// one the controller lists that is not "Builtin".
static uint32_t OpenAccountDomain(struct corvane_rpc* rpc, TALLOC_CTX* frame) {
  struct samr_Connect2 connect = {0};
  connect.in.system_name = "";
  connect.in.access_mask = SAMR_ACCESS_ENUM_DOMAINS | SAMR_ACCESS_LOOKUP_DOMAIN;
  connect.out.connect_handle = &rpc->connection;
  uint32_t status =
      Status(Samr(rpc, NDR_SAMR_CONNECT2, frame, &connect), connect.out.result);
  if (status != 0) return status;
  if (LookupDomain(rpc, frame, lpcfg_workgroup(rpc->conf)) != 0) {
    uint32_t resume = 0, count = 0;
    struct samr_SamArray* domains = NULL;
    struct samr_EnumDomains list = {0};
    list.in.connect_handle = &rpc->connection;
    list.in.resume_handle = &resume;
    list.in.buf_size = 0xFFFFFFFF;
    list.out.resume_handle = &resume;
    list.out.sam = &domains;
    list.out.num_entries = &count;
    status = NT_STATUS_V(Samr(rpc, NDR_SAMR_ENUMDOMAINS, frame, &list));
    if (status == 0) status = corvane_reply_enum_domains(&list);
    if (status != 0) return status;
    const char* name = NULL;
    for (uint32_t i = 0; domains != NULL && i < domains->count; ++i) {
      const char* candidate = domains->entries[i].name.string;
      if (candidate != NULL && strcasecmp(candidate, "Builtin") != 0) {
        name = candidate;
        break;
      }
    }
    status = LookupDomain(rpc, frame, name);
    if (status != 0) return status;
  }

  struct samr_OpenDomain open = {0};
  open.in.connect_handle = &rpc->connection;
  open.in.access_mask = SAMR_DOMAIN_ACCESS_OPEN_ACCOUNT |
                        SAMR_DOMAIN_ACCESS_ENUM_ACCOUNTS |
                        SAMR_DOMAIN_ACCESS_LOOKUP_INFO_2;
  open.in.sid = rpc->domain_sid;
  open.out.domain_handle = &rpc->domain;
  return Status(Samr(rpc, NDR_SAMR_OPENDOMAIN, frame, &open), open.out.result);
}

// Netlogon's pipe, over the transport SAMR's took, on first use: only the
// controller's name needs it.
static NTSTATUS Netlogon(struct corvane_rpc* rpc) {
  if (rpc->netlogon != NULL) return NT_STATUS_OK;
  return dcerpc_pipe_connect(rpc, &rpc->netlogon, rpc->binding,
                             &ndr_table_netlogon, rpc->credentials, rpc->events,
                             rpc->conf);
}

struct corvane_rpc* corvane_rpc_connect(void* owner, const char* host,
                                        struct loadparm_context* conf,
                                        struct cli_credentials* credentials,
                                        uint32_t* status) {
  // TCP first; SMB where only the file-sharing port is open.
  const char* transports[] = {"ncacn_ip_tcp", "ncacn_np"};
  NTSTATUS connected = NT_STATUS_NO_MEMORY;
  TALLOC_CTX* frame = talloc_stackframe();
  struct corvane_rpc* rpc = talloc_zero(owner, struct corvane_rpc);
  *status = NT_STATUS_V(NT_STATUS_NO_MEMORY);
  if (rpc == NULL) goto done;
  rpc->host = talloc_strdup(rpc, host);
  rpc->events = tevent_context_init(rpc);
  if (rpc->host == NULL || rpc->events == NULL) goto failed;
  rpc->conf = conf;
  rpc->credentials = credentials;
  dcerpc_init();
  for (size_t i = 0; i < 2 && !NT_STATUS_IS_OK(connected); ++i) {
    TALLOC_FREE(rpc->binding);
    rpc->binding = talloc_asprintf(rpc, "%s:%s[sign]", transports[i], host);
    if (rpc->binding == NULL) goto failed;
    TALLOC_FREE(rpc->samr);
    const NTSTATUS attempt =
        dcerpc_pipe_connect(rpc, &rpc->samr, rpc->binding, &ndr_table_samr,
                            credentials, rpc->events, conf);
    // Samba's SMB transport answers a refused connection with "no memory":
    // the TCP attempt's reason then says more.
    if (i == 0 || !NT_STATUS_EQUAL(attempt, NT_STATUS_NO_MEMORY)) {
      connected = attempt;
    }
  }
  *status = NT_STATUS_V(connected);
  if (!NT_STATUS_IS_OK(connected)) goto failed;
  *status = OpenAccountDomain(rpc, frame);
  if (*status == 0) goto done;
failed:
  talloc_free(rpc);
  rpc = NULL;
done:
  talloc_free(frame);
  return rpc;
}

uint32_t corvane_rpc_error_code(uint32_t status) {
  return W_ERROR_V(ntstatus_to_werror(NT_STATUS(status)));
}

uint32_t corvane_rpc_dc_name(struct corvane_rpc* rpc, void* owner,
                             const char* domain, char** name) {
  TALLOC_CTX* frame = talloc_stackframe();
  const char* found = NULL;
  struct netr_GetDcName request = {0};
  request.in.logon_server = rpc->host;
  request.in.domainname = domain != NULL && domain[0] != '\0' ? domain : NULL;
  request.out.dcname = &found;
  NTSTATUS transport = Netlogon(rpc);
  if (NT_STATUS_IS_OK(transport)) {
    transport = Call(rpc->netlogon, &ndr_table_netlogon, kNetrGetDcName, frame,
                     &request);
  }
  uint32_t status = NT_STATUS_IS_OK(transport)
                        ? corvane_reply_dc_name(&request)
                        : corvane_rpc_error_code(NT_STATUS_V(transport));
  if (status == 0) {
    *name = talloc_strdup(owner, found);
    if (*name == NULL) status = W_ERROR_V(WERR_NOT_ENOUGH_MEMORY);
  }
  talloc_free(frame);
  return status;
}

uint32_t corvane_rpc_lookup_name(struct corvane_rpc* rpc, const char* name,
                                 uint32_t* rid, uint32_t* type) {
  TALLOC_CTX* frame = talloc_stackframe();
  struct lsa_String wanted = {0};
  wanted.string = name;
  struct samr_Ids rids = {0}, types = {0};
  struct samr_LookupNames lookup = {0};
  lookup.in.domain_handle = &rpc->domain;
  lookup.in.num_names = 1;
  lookup.in.names = &wanted;
  lookup.out.rids = &rids;
  lookup.out.types = &types;
  uint32_t status =
      NT_STATUS_V(Samr(rpc, NDR_SAMR_LOOKUPNAMES, frame, &lookup));
  if (status == 0) status = corvane_reply_lookup_names(&lookup);
  if (status == 0) {
    *rid = rids.ids[0];
    *type = types.ids[0];
  }
  talloc_free(frame);
  return status;
}

uint32_t corvane_rpc_lookup_rid(struct corvane_rpc* rpc, void* owner,
                                uint32_t rid, char** name, uint32_t* type) {
  TALLOC_CTX* frame = talloc_stackframe();
  struct lsa_Strings names = {0};
  struct samr_Ids types = {0};
  struct samr_LookupRids lookup = {0};
  lookup.in.domain_handle = &rpc->domain;
  lookup.in.num_rids = 1;
  lookup.in.rids = &rid;
  lookup.out.names = &names;
  lookup.out.types = &types;
  uint32_t status = NT_STATUS_V(Samr(rpc, NDR_SAMR_LOOKUPRIDS, frame, &lookup));
  if (status == 0) status = corvane_reply_lookup_rids(&lookup);
  if (status == 0) {
    *name = talloc_strdup(owner, names.names[0].string);
    *type = types.ids[0];
    if (*name == NULL) status = NT_STATUS_V(NT_STATUS_NO_MEMORY);
  }
  talloc_free(frame);
  return status;
}

uint32_t corvane_rpc_query_group(struct corvane_rpc* rpc, void* owner,
                                 uint32_t rid, char** name, char** comment,
                                 uint32_t* attributes) {
  TALLOC_CTX* frame = talloc_stackframe();
  struct policy_handle group;
  union samr_GroupInfo* info = NULL;
  struct samr_QueryGroupInfo query = {0};
  uint32_t status =
      OpenGroup(rpc, frame, rid, SAMR_GROUP_ACCESS_LOOKUP_INFO, &group);
  if (status != 0) goto done;

  query.in.group_handle = &group;
  query.in.level = GROUPINFOALL2;
  query.out.info = &info;
  status = NT_STATUS_V(Samr(rpc, NDR_SAMR_QUERYGROUPINFO, frame, &query));
  if (status == 0) status = corvane_reply_query_group_info(&query);
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
  Close(rpc, frame, &group);
done:
  talloc_free(frame);
  return status;
}

static bool IsListingStatus(NTSTATUS status) {
  return NT_STATUS_IS_OK(status) ||
         NT_STATUS_EQUAL(status, STATUS_MORE_ENTRIES);
}

uint32_t corvane_rpc_list_users(struct corvane_rpc* rpc, uint32_t account_bits,
                                uint32_t max_bytes, uint32_t* resume,
                                corvane_rpc_entry each, void* context) {
  TALLOC_CTX* frame = talloc_stackframe();
  struct samr_SamArray* users = NULL;
  uint32_t count = 0;
  struct samr_EnumDomainUsers list = {0};
  list.in.domain_handle = &rpc->domain;
  list.in.acct_flags = account_bits;
  list.in.max_size = max_bytes;
  list.in.resume_handle = resume;
  list.out.resume_handle = resume;
  list.out.sam = &users;
  list.out.num_entries = &count;
  uint32_t status =
      NT_STATUS_V(Samr(rpc, NDR_SAMR_ENUMDOMAINUSERS, frame, &list));
  if (status == 0) status = corvane_reply_enum_users(&list);
  if (IsListingStatus(NT_STATUS(status)) && users != NULL) {
    for (uint32_t i = 0; i < users->count; ++i) {
      const char* name = users->entries[i].name.string;
      if (!each(context, name != NULL ? name : "", "")) break;
    }
  }
  talloc_free(frame);
  return status;
}

uint32_t corvane_rpc_list_groups(struct corvane_rpc* rpc, uint32_t max_bytes,
                                 uint32_t* resume, corvane_rpc_entry each,
                                 void* context) {
  TALLOC_CTX* frame = talloc_stackframe();
  uint32_t total = 0, returned = 0;
  union samr_DispInfo info;
  memset(&info, 0, sizeof info);
  struct samr_QueryDisplayInfo2 list = {0};
  list.in.domain_handle = &rpc->domain;
  list.in.level = 3;  // global groups, with their comments
  list.in.start_idx = *resume;
  // The controller may ignore the byte count; an entry count bounds what
  // one answer holds.
  list.in.max_entries = max_bytes / 64 > 0 ? max_bytes / 64 : 1;
  list.in.buf_size = max_bytes;
  list.out.total_size = &total;
  list.out.returned_size = &returned;
  list.out.info = &info;
  uint32_t status =
      NT_STATUS_V(Samr(rpc, NDR_SAMR_QUERYDISPLAYINFO2, frame, &list));
  if (status == 0) status = corvane_reply_display_info(&list);
  if (IsListingStatus(NT_STATUS(status))) {
    const struct samr_DispInfoFullGroups* groups = &info.info3;
    for (uint32_t i = 0; i < groups->count; ++i) {
      const char* name = groups->entries[i].account_name.string;
      const char* comment = groups->entries[i].description.string;
      if (!each(context, name != NULL ? name : "",
                comment != NULL ? comment : "")) {
        break;
      }
    }
    if (groups->count > 0) *resume = groups->entries[groups->count - 1].idx;
  }
  talloc_free(frame);
  return status;
}

// The user `name`, opened with `access`.
static uint32_t OpenUser(struct corvane_rpc* rpc, TALLOC_CTX* frame,
                         const char* name, uint32_t access,
                         struct policy_handle* user, uint32_t* rid) {
  uint32_t type = 0;
  uint32_t status = corvane_rpc_lookup_name(rpc, name, rid, &type);
  if (status != 0) return status;
  struct samr_OpenUser open = {0};
  open.in.domain_handle = &rpc->domain;
  open.in.access_mask = access;
  open.in.rid = *rid;
  open.out.user_handle = user;
  return Status(Samr(rpc, NDR_SAMR_OPENUSER, frame, &open), open.out.result);
}

static struct dom_sid* AccountSid(TALLOC_CTX* memory,
                                  const struct dom_sid* domain, uint32_t rid) {
  struct dom_sid* sid = talloc_memdup(memory, domain, sizeof(*domain));
  if (sid == NULL || sid->num_auths >= 15) return NULL;
  sid->sub_auths[sid->num_auths++] = rid;
  return sid;
}

// The operator rights (AF_OP_*) that membership of the built-in Print,
// Server and Account Operators aliases gives the account and its groups.
static uint32_t OperatorFlags(struct corvane_rpc* rpc, TALLOC_CTX* frame,
                              const struct samr_RidWithAttributeArray* groups,
                              uint32_t rid, uint32_t* flags) {
  *flags = 0;
  if (!rpc->builtin_open) {
    static const struct dom_sid builtin = {1, 1, {0, 0, 0, 0, 0, 5}, {32}};
    struct samr_OpenDomain open = {0};
    open.in.connect_handle = &rpc->connection;
    open.in.access_mask =
        SAMR_DOMAIN_ACCESS_OPEN_ACCOUNT | SAMR_DOMAIN_ACCESS_LOOKUP_ALIAS;
    open.in.sid = discard_const_p(struct dom_sid, &builtin);
    open.out.domain_handle = &rpc->builtin;
    const uint32_t status =
        Status(Samr(rpc, NDR_SAMR_OPENDOMAIN, frame, &open), open.out.result);
    if (status != 0) return status;
    rpc->builtin_open = true;
  }
  const uint32_t count = (groups != NULL ? groups->count : 0) + 1;
  struct lsa_SidArray sids = {0};
  sids.num_sids = count;
  sids.sids = talloc_zero_array(frame, struct lsa_SidPtr, count);
  if (sids.sids == NULL) return NT_STATUS_V(NT_STATUS_NO_MEMORY);
  for (uint32_t i = 0; i < count; ++i) {
    sids.sids[i].sid = AccountSid(frame, rpc->domain_sid,
                                  i + 1 < count ? groups->rids[i].rid : rid);
    if (sids.sids[i].sid == NULL) return NT_STATUS_V(NT_STATUS_NO_MEMORY);
  }
  struct samr_Ids aliases = {0};
  struct samr_GetAliasMembership membership = {0};
  membership.in.domain_handle = &rpc->builtin;
  membership.in.sids = &sids;
  membership.out.rids = &aliases;
  uint32_t status =
      NT_STATUS_V(Samr(rpc, NDR_SAMR_GETALIASMEMBERSHIP, frame, &membership));
  if (status == 0) status = corvane_reply_alias_membership(&membership);
  for (uint32_t i = 0; status == 0 && i < aliases.count; ++i) {
    switch (aliases.ids[i]) {
      case 550:  // Print Operators
        *flags |= 0x1;
        break;
      case 549:  // Server Operators
        *flags |= 0x4;
        break;
      case 548:  // Account Operators
        *flags |= 0x8;
        break;
      default:
        break;
    }
  }
  return status;
}

struct dom_sid* corvane_rpc_account_sid(struct corvane_rpc* rpc, void* owner,
                                        uint32_t rid) {
  return AccountSid(owner, rpc->domain_sid, rid);
}

static const char* Copy(void* owner, const char* text) {
  return talloc_strdup(owner, text != NULL ? text : "");
}

uint32_t corvane_rpc_query_user(struct corvane_rpc* rpc, void* owner,
                                const char* name,
                                struct corvane_rpc_user* user) {
  TALLOC_CTX* frame = talloc_stackframe();
  struct policy_handle handle;
  uint32_t rid = 0;
  union samr_UserInfo* info = NULL;
  struct samr_RidWithAttributeArray* groups = NULL;
  uint32_t status = OpenUser(
      rpc, frame, name,
      SEC_STD_READ_CONTROL | SAMR_USER_ACCESS_GET_ATTRIBUTES |
          SAMR_USER_ACCESS_GET_NAME_ETC | SAMR_USER_ACCESS_GET_LOGONINFO |
          SAMR_USER_ACCESS_GET_GROUPS | SAMR_USER_ACCESS_GET_LOCALE,
      &handle, &rid);
  if (status != 0) goto done;

  struct samr_QueryUserInfo query = {0};
  query.in.user_handle = &handle;
  query.in.level = UserAllInformation;
  query.out.info = &info;
  status = NT_STATUS_V(Samr(rpc, NDR_SAMR_QUERYUSERINFO, frame, &query));
  if (status == 0) status = corvane_reply_query_user_info(&query);
  struct samr_GetGroupsForUser member_of = {0};
  member_of.in.user_handle = &handle;
  member_of.out.rids = &groups;
  if (status == 0) {
    status =
        NT_STATUS_V(Samr(rpc, NDR_SAMR_GETGROUPSFORUSER, frame, &member_of));
    if (status == 0) status = corvane_reply_groups_for_user(&member_of);
  }
  Close(rpc, frame, &handle);
  if (status != 0) goto done;
  status = OperatorFlags(rpc, frame, groups, rid, &user->operator_flags);
  if (status != 0) goto done;

  const struct samr_UserInfo21* i21 = &info->info21;
  user->account_name = Copy(owner, i21->account_name.string);
  user->full_name = Copy(owner, i21->full_name.string);
  user->home_directory = Copy(owner, i21->home_directory.string);
  user->home_drive = Copy(owner, i21->home_drive.string);
  user->logon_script = Copy(owner, i21->logon_script.string);
  user->profile_path = Copy(owner, i21->profile_path.string);
  user->description = Copy(owner, i21->description.string);
  user->workstations = Copy(owner, i21->workstations.string);
  user->comment = Copy(owner, i21->comment.string);
  // Samba's client hands the parameters' bytes back as text, as far as
  // the first zero byte.
  user->parameters =
      i21->parameters.array != NULL
          ? talloc_strndup(owner, (const char*)i21->parameters.array,
                           i21->parameters.size / 2)
          : Copy(owner, NULL);
  user->last_logon = i21->last_logon;
  user->last_logoff = i21->last_logoff;
  user->last_password_change = i21->last_password_change;
  user->acct_expiry = i21->acct_expiry;
  user->rid = i21->rid;
  user->primary_gid = i21->primary_gid;
  user->acct_flags = i21->acct_flags;
  user->bad_password_count = i21->bad_password_count;
  user->logon_count = i21->logon_count;
  user->country_code = i21->country_code;
  user->code_page = i21->code_page;
  user->units_per_week = i21->logon_hours.units_per_week;
  memset(user->logon_hours, 0, sizeof user->logon_hours);
  if (i21->logon_hours.bits != NULL) {
    const size_t bytes = i21->logon_hours.units_per_week / 8;
    memcpy(user->logon_hours, i21->logon_hours.bits,
           bytes < sizeof user->logon_hours ? bytes : sizeof user->logon_hours);
  }
  user->password_expired = i21->password_expired;
  if (user->account_name == NULL || user->full_name == NULL ||
      user->home_directory == NULL || user->home_drive == NULL ||
      user->logon_script == NULL || user->profile_path == NULL ||
      user->description == NULL || user->workstations == NULL ||
      user->comment == NULL || user->parameters == NULL) {
    status = NT_STATUS_V(NT_STATUS_NO_MEMORY);
  }
done:
  talloc_free(frame);
  return status;
}

uint32_t corvane_rpc_query_policy(struct corvane_rpc* rpc,
                                  struct corvane_rpc_policy* policy) {
  TALLOC_CTX* frame = talloc_stackframe();
  union samr_DomainInfo* info = NULL;
  struct samr_QueryDomainInfo query = {0};
  query.in.domain_handle = &rpc->domain;
  query.in.level = DomainPasswordInformation;
  query.out.info = &info;
  uint32_t status =
      NT_STATUS_V(Samr(rpc, NDR_SAMR_QUERYDOMAININFO, frame, &query));
  if (status == 0) status = corvane_reply_query_domain_info(&query);
  if (status == 0) {
    policy->min_password_length = info->info1.min_password_length;
    policy->password_history_length = info->info1.password_history_length;
    policy->max_password_age = info->info1.max_password_age;
    policy->min_password_age = info->info1.min_password_age;
    query.in.level = DomainLogoffInformation;
    status = NT_STATUS_V(Samr(rpc, NDR_SAMR_QUERYDOMAININFO, frame, &query));
    if (status == 0) status = corvane_reply_query_domain_info(&query);
  }
  if (status == 0) policy->force_logoff_time = info->info3.force_logoff_time;
  talloc_free(frame);
  return status;
}

// The names of `rids` in the account domain, in runs of at most what one
// call takes; with `only_type`, only accounts of that kind.
static uint32_t NamesOfRids(struct corvane_rpc* rpc, TALLOC_CTX* frame,
                            const uint32_t* rids, uint32_t count,
                            uint32_t only_type, corvane_rpc_entry each,
                            void* context) {
  uint32_t status = 0;
  for (uint32_t first = 0; status == 0 && first < count;
       first += CORVANE_RPC_RIDS_PER_LOOKUP) {
    const uint32_t run = count - first < CORVANE_RPC_RIDS_PER_LOOKUP
                             ? count - first
                             : CORVANE_RPC_RIDS_PER_LOOKUP;
    struct lsa_Strings names = {0};
    struct samr_Ids types = {0};
    struct samr_LookupRids lookup = {0};
    lookup.in.domain_handle = &rpc->domain;
    lookup.in.num_rids = run;
    lookup.in.rids = discard_const_p(uint32_t, rids + first);
    lookup.out.names = &names;
    lookup.out.types = &types;
    status = NT_STATUS_V(Samr(rpc, NDR_SAMR_LOOKUPRIDS, frame, &lookup));
    if (status == 0) status = corvane_reply_lookup_rids(&lookup);
    for (uint32_t i = 0; status == 0 && i < run; ++i) {
      if (only_type != 0 && types.ids[i] != only_type) continue;
      if (!each(context, names.names[i].string, "")) return status;
    }
  }
  return status;
}

uint32_t corvane_rpc_list_user_groups(struct corvane_rpc* rpc, const char* name,
                                      corvane_rpc_entry each, void* context) {
  TALLOC_CTX* frame = talloc_stackframe();
  struct policy_handle handle;
  uint32_t rid = 0;
  struct samr_RidWithAttributeArray* groups = NULL;
  uint32_t status =
      OpenUser(rpc, frame, name, SAMR_USER_ACCESS_GET_GROUPS, &handle, &rid);
  if (status != 0) goto done;
  struct samr_GetGroupsForUser member_of = {0};
  member_of.in.user_handle = &handle;
  member_of.out.rids = &groups;
  status = NT_STATUS_V(Samr(rpc, NDR_SAMR_GETGROUPSFORUSER, frame, &member_of));
  if (status == 0) status = corvane_reply_groups_for_user(&member_of);
  Close(rpc, frame, &handle);
  if (status != 0 || groups == NULL || groups->count == 0) goto done;

  uint32_t* rids = talloc_array(frame, uint32_t, groups->count);
  if (rids == NULL) {
    status = NT_STATUS_V(NT_STATUS_NO_MEMORY);
    goto done;
  }
  for (uint32_t i = 0; i < groups->count; ++i) rids[i] = groups->rids[i].rid;
  status = NamesOfRids(rpc, frame, rids, groups->count, 0, each, context);
done:
  talloc_free(frame);
  return status;
}

uint32_t corvane_rpc_group_members(struct corvane_rpc* rpc, void* owner,
                                   const char* name, uint32_t** rids,
                                   uint32_t* count) {
  TALLOC_CTX* frame = talloc_stackframe();
  uint32_t rid = 0, type = 0;
  struct policy_handle group;
  struct samr_RidAttrArray* members = NULL;
  struct samr_QueryGroupMember query = {0};
  *rids = NULL;
  *count = 0;
  uint32_t status = corvane_rpc_lookup_name(rpc, name, &rid, &type);
  if (status == 0) {
    status = OpenGroup(rpc, frame, rid, SAMR_GROUP_ACCESS_GET_MEMBERS, &group);
  }
  if (status != 0) goto done;
  query.in.group_handle = &group;
  query.out.rids = &members;
  status = NT_STATUS_V(Samr(rpc, NDR_SAMR_QUERYGROUPMEMBER, frame, &query));
  if (status == 0) status = corvane_reply_group_members(&query);
  Close(rpc, frame, &group);
  if (status != 0 || members == NULL || members->count == 0) goto done;
  *rids = talloc_memdup(owner, members->rids,
                        sizeof(uint32_t) * (size_t)members->count);
  if (*rids == NULL) {
    status = NT_STATUS_V(NT_STATUS_NO_MEMORY);
    goto done;
  }
  *count = members->count;
done:
  talloc_free(frame);
  return status;
}

uint32_t corvane_rpc_user_names(struct corvane_rpc* rpc, const uint32_t* rids,
                                uint32_t count, corvane_rpc_entry each,
                                void* context) {
  TALLOC_CTX* frame = talloc_stackframe();
  const uint32_t status =
      NamesOfRids(rpc, frame, rids, count, SID_NAME_USER, each, context);
  talloc_free(frame);
  return status;
}

_Static_assert(CORVANE_RPC_FIELD_ACCOUNT_NAME == SAMR_FIELD_ACCOUNT_NAME &&
                   CORVANE_RPC_FIELD_FULL_NAME == SAMR_FIELD_FULL_NAME &&
                   CORVANE_RPC_FIELD_PRIMARY_GID == SAMR_FIELD_PRIMARY_GID &&
                   CORVANE_RPC_FIELD_DESCRIPTION == SAMR_FIELD_DESCRIPTION &&
                   CORVANE_RPC_FIELD_HOME_DIRECTORY ==
                       SAMR_FIELD_HOME_DIRECTORY &&
                   CORVANE_RPC_FIELD_LOGON_SCRIPT == SAMR_FIELD_LOGON_SCRIPT &&
                   CORVANE_RPC_FIELD_ACCT_EXPIRY == SAMR_FIELD_ACCT_EXPIRY &&
                   CORVANE_RPC_FIELD_ACCT_FLAGS == SAMR_FIELD_ACCT_FLAGS &&
                   CORVANE_RPC_FIELD_EXPIRED_FLAG == SAMR_FIELD_EXPIRED_FLAG,
               "the field bits are SAMR's");

uint32_t corvane_rpc_set_user(struct corvane_rpc* rpc, const char* name,
                              const struct corvane_rpc_user_change* change) {
  TALLOC_CTX* frame = talloc_stackframe();
  struct policy_handle handle;
  uint32_t rid = 0;
  uint32_t status =
      OpenUser(rpc, frame, name, SEC_FLAG_MAXIMUM_ALLOWED, &handle, &rid);
  if (status != 0) goto done;
  union samr_UserInfo info;
  memset(&info, 0, sizeof info);
  struct samr_UserInfo21* i21 = &info.info21;
  i21->fields_present = change->fields;
  i21->account_name.string = change->account_name;
  i21->full_name.string = change->full_name;
  i21->description.string = change->description;
  i21->home_directory.string = change->home_directory;
  i21->logon_script.string = change->logon_script;
  i21->acct_expiry = change->acct_expiry;
  i21->acct_flags = change->acct_flags;
  i21->primary_gid = change->primary_gid;
  i21->password_expired = change->password_expired;
  struct samr_SetUserInfo set = {0};
  set.in.user_handle = &handle;
  set.in.level = UserAllInformation;
  set.in.info = &info;
  status = Status(Samr(rpc, NDR_SAMR_SETUSERINFO, frame, &set), set.out.result);
  Close(rpc, frame, &handle);
done:
  talloc_free(frame);
  return status;
}

uint32_t corvane_rpc_rename_group(struct corvane_rpc* rpc, const char* name,
                                  const char* new_name) {
  TALLOC_CTX* frame = talloc_stackframe();
  uint32_t rid = 0, type = 0;
  struct policy_handle handle;
  uint32_t status = corvane_rpc_lookup_name(rpc, name, &rid, &type);
  if (status == 0 && type != SID_NAME_DOM_GRP) {
    status = NT_STATUS_V(NT_STATUS_NO_SUCH_GROUP);
  }
  if (status == 0) {
    status = OpenGroup(rpc, frame, rid, SAMR_GROUP_ACCESS_SET_INFO, &handle);
  }
  if (status == 0) {
    union samr_GroupInfo info;
    memset(&info, 0, sizeof info);
    info.name.string = new_name;
    struct samr_SetGroupInfo set = {0};
    set.in.group_handle = &handle;
    set.in.level = GROUPINFONAME;
    set.in.info = &info;
    status =
        Status(Samr(rpc, NDR_SAMR_SETGROUPINFO, frame, &set), set.out.result);
    Close(rpc, frame, &handle);
  }
  talloc_free(frame);
  return status;
}
