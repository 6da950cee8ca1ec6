// The base of every decorator over the platform layer (the call trace, the
// command's progress display): each call goes unchanged to the backend it
// wraps, and a decorator overrides only the calls it watches.
#pragma once

#include "netapi/api.h"

namespace corvane::netapi {

class ForwardingApi : public Api {
 public:
  explicit ForwardingApi(Api& backend) : backend_(backend) {}

  NET_API_STATUS NetGetDCName(LPCWSTR servername, LPCWSTR domainname,
                              LPBYTE* bufptr) override {
    return backend_.NetGetDCName(servername, domainname, bufptr);
  }
  NET_API_STATUS NetGroupAdd(LPCWSTR servername, DWORD level, LPBYTE buf,
                             LPDWORD parm_err) override {
    return backend_.NetGroupAdd(servername, level, buf, parm_err);
  }
  NET_API_STATUS NetGroupDel(LPCWSTR servername, LPCWSTR groupname) override {
    return backend_.NetGroupDel(servername, groupname);
  }
  NET_API_STATUS NetGroupEnum(LPCWSTR servername, DWORD level, LPBYTE* bufptr,
                              DWORD prefmaxlen, LPDWORD entriesread,
                              LPDWORD totalentries,
                              PDWORD_PTR resume_handle) override {
    return backend_.NetGroupEnum(servername, level, bufptr, prefmaxlen,
                                 entriesread, totalentries, resume_handle);
  }
  NET_API_STATUS NetGroupGetInfo(LPCWSTR servername, LPCWSTR groupname,
                                 DWORD level, LPBYTE* bufptr) override {
    return backend_.NetGroupGetInfo(servername, groupname, level, bufptr);
  }
  NET_API_STATUS NetGroupSetInfo(LPCWSTR servername, LPCWSTR groupname,
                                 DWORD level, LPBYTE buf,
                                 LPDWORD parm_err) override {
    return backend_.NetGroupSetInfo(servername, groupname, level, buf,
                                    parm_err);
  }
  NET_API_STATUS NetGroupGetUsers(LPCWSTR servername, LPCWSTR groupname,
                                  DWORD level, LPBYTE* bufptr, DWORD prefmaxlen,
                                  LPDWORD entriesread, LPDWORD totalentries,
                                  PDWORD_PTR resume_handle) override {
    return backend_.NetGroupGetUsers(servername, groupname, level, bufptr,
                                     prefmaxlen, entriesread, totalentries,
                                     resume_handle);
  }
  NET_API_STATUS NetGroupAddUser(LPCWSTR servername, LPCWSTR groupname,
                                 LPCWSTR username) override {
    return backend_.NetGroupAddUser(servername, groupname, username);
  }
  NET_API_STATUS NetGroupDelUser(LPCWSTR servername, LPCWSTR groupname,
                                 LPCWSTR username) override {
    return backend_.NetGroupDelUser(servername, groupname, username);
  }
  NET_API_STATUS NetUserAdd(LPCWSTR servername, DWORD level, LPBYTE buf,
                            LPDWORD parm_err) override {
    return backend_.NetUserAdd(servername, level, buf, parm_err);
  }
  NET_API_STATUS NetUserDel(LPCWSTR servername, LPCWSTR username) override {
    return backend_.NetUserDel(servername, username);
  }
  NET_API_STATUS NetUserEnum(LPCWSTR servername, DWORD level, DWORD filter,
                             LPBYTE* bufptr, DWORD prefmaxlen,
                             LPDWORD entriesread, LPDWORD totalentries,
                             LPDWORD resume_handle) override {
    return backend_.NetUserEnum(servername, level, filter, bufptr, prefmaxlen,
                                entriesread, totalentries, resume_handle);
  }
  NET_API_STATUS NetUserGetInfo(LPCWSTR servername, LPCWSTR username,
                                DWORD level, LPBYTE* bufptr) override {
    return backend_.NetUserGetInfo(servername, username, level, bufptr);
  }
  NET_API_STATUS NetUserSetInfo(LPCWSTR servername, LPCWSTR username,
                                DWORD level, LPBYTE buf,
                                LPDWORD parm_err) override {
    return backend_.NetUserSetInfo(servername, username, level, buf, parm_err);
  }
  NET_API_STATUS NetUserGetGroups(LPCWSTR servername, LPCWSTR username,
                                  DWORD level, LPBYTE* bufptr, DWORD prefmaxlen,
                                  LPDWORD entriesread,
                                  LPDWORD totalentries) override {
    return backend_.NetUserGetGroups(servername, username, level, bufptr,
                                     prefmaxlen, entriesread, totalentries);
  }
  NET_API_STATUS NetUserModalsGet(LPCWSTR servername, DWORD level,
                                  LPBYTE* bufptr) override {
    return backend_.NetUserModalsGet(servername, level, bufptr);
  }
  NET_API_STATUS NetApiBufferAllocate(DWORD byte_count,
                                      void** buffer) override {
    return backend_.NetApiBufferAllocate(byte_count, buffer);
  }
  NET_API_STATUS NetApiBufferFree(void* buffer) override {
    return backend_.NetApiBufferFree(buffer);
  }
  BOOL LookupAccountName(LPCWSTR system_name, LPCWSTR account_name, PSID sid,
                         LPDWORD sid_size, LPWSTR referenced_domain_name,
                         LPDWORD referenced_domain_name_size,
                         SID_NAME_USE* use) override {
    return backend_.LookupAccountName(system_name, account_name, sid, sid_size,
                                      referenced_domain_name,
                                      referenced_domain_name_size, use);
  }
  BOOL LookupAccountSid(LPCWSTR system_name, PSID sid, LPWSTR name,
                        LPDWORD name_size, LPWSTR referenced_domain_name,
                        LPDWORD referenced_domain_name_size,
                        SID_NAME_USE* use) override {
    return backend_.LookupAccountSid(system_name, sid, name, name_size,
                                     referenced_domain_name,
                                     referenced_domain_name_size, use);
  }
  DWORD LastError() override { return backend_.LastError(); }
  DWORD PlatformId() override { return backend_.PlatformId(); }
  DWORD CurrentThreadId() override { return backend_.CurrentThreadId(); }

 protected:
  Api& backend() { return backend_; }

 private:
  Api& backend_;
};

}  // namespace corvane::netapi
