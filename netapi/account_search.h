// A listing of account records the controller itself narrows: a backend
// that reads a directory can have the server leave out the accounts a
// filtered listing cannot keep, rather than send every account's record.
// What comes back may hold more; the caller still checks each record.
#pragma once

#include <cstdint>

#include "netapi/types.h"

namespace corvane::netapi {

// The accounts a listing keeps: every fact asked for must hold.
struct AccountQuery {
  bool disabled = false;
  bool locked = false;
  bool expired = false;  // the password or the account
  bool never_logged_on = false;
};

class AccountSearch {
 public:
  virtual ~AccountSearch() = default;

  // NetUserEnum level 3 of the normal accounts that may match `query`,
  // under the same batch contract (ERROR_MORE_DATA, the resume handle);
  // the records are released with the backend's NetApiBufferFree.
  virtual NET_API_STATUS NetUserEnumMatching(LPCWSTR servername,
                                             const AccountQuery& query,
                                             LPBYTE* bufptr, DWORD prefmaxlen,
                                             LPDWORD entriesread,
                                             LPDWORD totalentries,
                                             LPDWORD resume_handle) = 0;
};

}  // namespace corvane::netapi
