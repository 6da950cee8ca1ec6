#include "netapi/call_trace.h"

#include <chrono>
#include <cstdio>
#include <string>

#include "automation/text.h"

namespace corvane::netapi {
namespace {

// The server name as written, on one line whatever it holds.
std::string Printable(LPCWSTR text) {
  if (text == nullptr) return "(null)";
  std::string quoted(1, '"');
  quoted += automation::EscapeControls(automation::ToUtf8(text));
  quoted += '"';
  return quoted;
}

}  // namespace

template <typename Call>
NET_API_STATUS CallTrace::Traced(std::string_view name, LPCWSTR server,
                                 long level, Call&& call) {
  const auto started = std::chrono::steady_clock::now();
  const NET_API_STATUS status = call();
  const std::chrono::duration<double, std::milli> took =
      std::chrono::steady_clock::now() - started;
  char time[32];
  std::snprintf(time, sizeof time, "%.3f", took.count());
  out_ << "netapi: " << name << " server=" << Printable(server);
  if (level >= 0) out_ << " level=" << level;
  out_ << " status=" << status << " time=" << time << "ms" << std::endl;
  return status;
}

NET_API_STATUS CallTrace::NetGetDCName(LPCWSTR servername, LPCWSTR domainname,
                                       LPBYTE* bufptr) {
  return Traced("NetGetDCName", servername, -1, [&] {
    return backend().NetGetDCName(servername, domainname, bufptr);
  });
}

NET_API_STATUS CallTrace::NetGroupAdd(LPCWSTR servername, DWORD level,
                                      LPBYTE buf, LPDWORD parm_err) {
  return Traced("NetGroupAdd", servername, level, [&] {
    return backend().NetGroupAdd(servername, level, buf, parm_err);
  });
}

NET_API_STATUS CallTrace::NetGroupDel(LPCWSTR servername, LPCWSTR groupname) {
  return Traced("NetGroupDel", servername, -1,
                [&] { return backend().NetGroupDel(servername, groupname); });
}

NET_API_STATUS CallTrace::NetGroupEnum(LPCWSTR servername, DWORD level,
                                       LPBYTE* bufptr, DWORD prefmaxlen,
                                       LPDWORD entriesread,
                                       LPDWORD totalentries,
                                       PDWORD_PTR resume_handle) {
  return Traced("NetGroupEnum", servername, level, [&] {
    return backend().NetGroupEnum(servername, level, bufptr, prefmaxlen,
                                  entriesread, totalentries, resume_handle);
  });
}

NET_API_STATUS CallTrace::NetGroupGetInfo(LPCWSTR servername, LPCWSTR groupname,
                                          DWORD level, LPBYTE* bufptr) {
  return Traced("NetGroupGetInfo", servername, level, [&] {
    return backend().NetGroupGetInfo(servername, groupname, level, bufptr);
  });
}

NET_API_STATUS CallTrace::NetGroupSetInfo(LPCWSTR servername, LPCWSTR groupname,
                                          DWORD level, LPBYTE buf,
                                          LPDWORD parm_err) {
  return Traced("NetGroupSetInfo", servername, level, [&] {
    return backend().NetGroupSetInfo(servername, groupname, level, buf,
                                     parm_err);
  });
}

NET_API_STATUS CallTrace::NetGroupGetUsers(LPCWSTR servername,
                                           LPCWSTR groupname, DWORD level,
                                           LPBYTE* bufptr, DWORD prefmaxlen,
                                           LPDWORD entriesread,
                                           LPDWORD totalentries,
                                           PDWORD_PTR resume_handle) {
  return Traced("NetGroupGetUsers", servername, level, [&] {
    return backend().NetGroupGetUsers(servername, groupname, level, bufptr,
                                      prefmaxlen, entriesread, totalentries,
                                      resume_handle);
  });
}

NET_API_STATUS CallTrace::NetGroupAddUser(LPCWSTR servername, LPCWSTR groupname,
                                          LPCWSTR username) {
  return Traced("NetGroupAddUser", servername, -1, [&] {
    return backend().NetGroupAddUser(servername, groupname, username);
  });
}

NET_API_STATUS CallTrace::NetGroupDelUser(LPCWSTR servername, LPCWSTR groupname,
                                          LPCWSTR username) {
  return Traced("NetGroupDelUser", servername, -1, [&] {
    return backend().NetGroupDelUser(servername, groupname, username);
  });
}

NET_API_STATUS CallTrace::NetUserAdd(LPCWSTR servername, DWORD level,
                                     LPBYTE buf, LPDWORD parm_err) {
  return Traced("NetUserAdd", servername, level, [&] {
    return backend().NetUserAdd(servername, level, buf, parm_err);
  });
}

NET_API_STATUS CallTrace::NetUserDel(LPCWSTR servername, LPCWSTR username) {
  return Traced("NetUserDel", servername, -1,
                [&] { return backend().NetUserDel(servername, username); });
}

NET_API_STATUS CallTrace::NetUserEnum(LPCWSTR servername, DWORD level,
                                      DWORD filter, LPBYTE* bufptr,
                                      DWORD prefmaxlen, LPDWORD entriesread,
                                      LPDWORD totalentries,
                                      LPDWORD resume_handle) {
  return Traced("NetUserEnum", servername, level, [&] {
    return backend().NetUserEnum(servername, level, filter, bufptr, prefmaxlen,
                                 entriesread, totalentries, resume_handle);
  });
}

NET_API_STATUS CallTrace::NetUserEnumMatching(LPCWSTR servername,
                                              const AccountQuery& query,
                                              LPBYTE* bufptr, DWORD prefmaxlen,
                                              LPDWORD entriesread,
                                              LPDWORD totalentries,
                                              LPDWORD resume_handle) {
  return Traced("NetUserEnum", servername, 3, [&] {
    return search_->NetUserEnumMatching(servername, query, bufptr, prefmaxlen,
                                        entriesread, totalentries,
                                        resume_handle);
  });
}

NET_API_STATUS CallTrace::NetUserGetInfo(LPCWSTR servername, LPCWSTR username,
                                         DWORD level, LPBYTE* bufptr) {
  return Traced("NetUserGetInfo", servername, level, [&] {
    return backend().NetUserGetInfo(servername, username, level, bufptr);
  });
}

NET_API_STATUS CallTrace::NetUserSetInfo(LPCWSTR servername, LPCWSTR username,
                                         DWORD level, LPBYTE buf,
                                         LPDWORD parm_err) {
  return Traced("NetUserSetInfo", servername, level, [&] {
    return backend().NetUserSetInfo(servername, username, level, buf, parm_err);
  });
}

NET_API_STATUS CallTrace::NetUserGetGroups(LPCWSTR servername, LPCWSTR username,
                                           DWORD level, LPBYTE* bufptr,
                                           DWORD prefmaxlen,
                                           LPDWORD entriesread,
                                           LPDWORD totalentries) {
  return Traced("NetUserGetGroups", servername, level, [&] {
    return backend().NetUserGetGroups(servername, username, level, bufptr,
                                      prefmaxlen, entriesread, totalentries);
  });
}

NET_API_STATUS CallTrace::NetUserModalsGet(LPCWSTR servername, DWORD level,
                                           LPBYTE* bufptr) {
  return Traced("NetUserModalsGet", servername, level, [&] {
    return backend().NetUserModalsGet(servername, level, bufptr);
  });
}

BOOL CallTrace::LookupAccountName(LPCWSTR system_name, LPCWSTR account_name,
                                  PSID sid, LPDWORD sid_size,
                                  LPWSTR referenced_domain_name,
                                  LPDWORD referenced_domain_name_size,
                                  SID_NAME_USE* use) {
  BOOL found = 0;
  // The status of this call is its last error, read at once.
  Traced("LookupAccountName", system_name, -1, [&] {
    found = backend().LookupAccountName(system_name, account_name, sid,
                                        sid_size, referenced_domain_name,
                                        referenced_domain_name_size, use);
    return found ? NERR_Success : backend().LastError();
  });
  return found;
}

BOOL CallTrace::LookupAccountSid(LPCWSTR system_name, PSID sid, LPWSTR name,
                                 LPDWORD name_size,
                                 LPWSTR referenced_domain_name,
                                 LPDWORD referenced_domain_name_size,
                                 SID_NAME_USE* use) {
  BOOL found = 0;
  Traced("LookupAccountSid", system_name, -1, [&] {
    found = backend().LookupAccountSid(system_name, sid, name, name_size,
                                       referenced_domain_name,
                                       referenced_domain_name_size, use);
    return found ? NERR_Success : backend().LastError();
  });
  return found;
}

}  // namespace corvane::netapi
