// An in-process backend that behaves like a Windows domain controller (and
// the local computer's own account database): the statuses, batching,
// resume handles and returned blocks of the platform, plus what tests need
// to see inside: a journal of every call as received, fault injection, and
// accounting of every block handed out.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "netapi/api.h"
#include "netapi/simulated/block_ledger.h"
#include "netapi/simulated/directory.h"
#include "netapi/simulated/journal.h"

namespace corvane::netapi::simulated {

class SimulatedController : public Api {
 public:
  // The local computer answers calls with an empty server name.
  explicit SimulatedController(std::u16string local_computer = u"WORKSTATION");

  // A domain whose controller is `controller` (a computer name without
  // backslashes). The controller lookup returns "\\" + controller.
  // `domain_sid_subs` gives the domain SID's sub-authorities after 5 (a
  // fresh S-1-5-21-... when empty).
  Directory& AddDomain(std::u16string domain, std::u16string controller,
                       std::vector<std::uint32_t> domain_sid_subs = {});
  Directory& local_computer() { return *directories_.front(); }
  // The database a server name reaches ("" and the local computer's name
  // reach the local computer), or null.
  Directory* FindServer(std::u16string_view servername);

  // Fault injection: the nth call of `operation` from now on (1 = the next
  // one) returns `status`. For LookupAccountName the status becomes the
  // thread's last error and the call returns FALSE.
  void FailCall(const std::string& operation, int nth, NET_API_STATUS status);

  void set_platform_id(DWORD id) { platform_id_ = id; }
  void set_thread_id(DWORD id) { thread_id_ = id; }

  Journal& journal() { return journal_; }
  // How many calls changed a database: a state that none changed need not
  // be saved.
  std::uint64_t changes() const { return changes_; }
  const BlockLedger& ledger() const { return ledger_; }

  NET_API_STATUS NetGetDCName(LPCWSTR servername, LPCWSTR domainname,
                              LPBYTE* bufptr) override;
  NET_API_STATUS NetGroupAdd(LPCWSTR servername, DWORD level, LPBYTE buf,
                             LPDWORD parm_err) override;
  NET_API_STATUS NetGroupDel(LPCWSTR servername, LPCWSTR groupname) override;
  NET_API_STATUS NetGroupEnum(LPCWSTR servername, DWORD level, LPBYTE* bufptr,
                              DWORD prefmaxlen, LPDWORD entriesread,
                              LPDWORD totalentries,
                              PDWORD_PTR resume_handle) override;
  NET_API_STATUS NetGroupGetInfo(LPCWSTR servername, LPCWSTR groupname,
                                 DWORD level, LPBYTE* bufptr) override;
  NET_API_STATUS NetGroupSetInfo(LPCWSTR servername, LPCWSTR groupname,
                                 DWORD level, LPBYTE buf,
                                 LPDWORD parm_err) override;
  NET_API_STATUS NetGroupGetUsers(LPCWSTR servername, LPCWSTR groupname,
                                  DWORD level, LPBYTE* bufptr, DWORD prefmaxlen,
                                  LPDWORD entriesread, LPDWORD totalentries,
                                  PDWORD_PTR resume_handle) override;
  NET_API_STATUS NetGroupAddUser(LPCWSTR servername, LPCWSTR groupname,
                                 LPCWSTR username) override;
  NET_API_STATUS NetGroupDelUser(LPCWSTR servername, LPCWSTR groupname,
                                 LPCWSTR username) override;
  NET_API_STATUS NetUserAdd(LPCWSTR servername, DWORD level, LPBYTE buf,
                            LPDWORD parm_err) override;
  NET_API_STATUS NetUserDel(LPCWSTR servername, LPCWSTR username) override;
  NET_API_STATUS NetUserEnum(LPCWSTR servername, DWORD level, DWORD filter,
                             LPBYTE* bufptr, DWORD prefmaxlen,
                             LPDWORD entriesread, LPDWORD totalentries,
                             LPDWORD resume_handle) override;
  NET_API_STATUS NetUserGetInfo(LPCWSTR servername, LPCWSTR username,
                                DWORD level, LPBYTE* bufptr) override;
  NET_API_STATUS NetUserSetInfo(LPCWSTR servername, LPCWSTR username,
                                DWORD level, LPBYTE buf,
                                LPDWORD parm_err) override;
  NET_API_STATUS NetUserGetGroups(LPCWSTR servername, LPCWSTR username,
                                  DWORD level, LPBYTE* bufptr, DWORD prefmaxlen,
                                  LPDWORD entriesread,
                                  LPDWORD totalentries) override;
  NET_API_STATUS NetUserModalsGet(LPCWSTR servername, DWORD level,
                                  LPBYTE* bufptr) override;
  NET_API_STATUS NetApiBufferAllocate(DWORD byte_count, void** buffer) override;
  NET_API_STATUS NetApiBufferFree(void* buffer) override;
  BOOL LookupAccountName(LPCWSTR system_name, LPCWSTR account_name, PSID sid,
                         LPDWORD sid_size, LPWSTR referenced_domain_name,
                         LPDWORD referenced_domain_name_size,
                         SID_NAME_USE* use) override;
  BOOL LookupAccountSid(LPCWSTR system_name, PSID sid, LPWSTR name,
                        LPDWORD name_size, LPWSTR referenced_domain_name,
                        LPDWORD referenced_domain_name_size,
                        SID_NAME_USE* use) override;
  DWORD LastError() override { return last_error_; }
  DWORD PlatformId() override;
  DWORD CurrentThreadId() override;

 private:
  // Journals the call and returns an injected status, or 0.
  NET_API_STATUS Begin(Call*& call, const std::string& operation);
  void RecordText(Call& call, const std::string& key, LPCWSTR text);
  // The opening of every call on a server: journaled with its server name
  // (Open), then the injected status or the server's database (Reach).
  struct Opened {
    Call& call;
    NET_API_STATUS fault;
    LPCWSTR servername;
  };
  Opened Open(const std::string& operation, LPCWSTR servername);
  NET_API_STATUS Reach(const Opened& opened, Directory*& directory);
  // Journals a membership call and finds its server, group and user.
  // A new name for an account or group of `directory`: the status the
  // platform answers when it cannot be taken (`parm_err` set for a bad one).
  NET_API_STATUS CheckNewName(Directory& directory, std::u16string_view name,
                              std::u16string_view current, DWORD parmnum,
                              LPDWORD parm_err);
  // Level 4 of NetUserSetInfo: every field the record gives.
  NET_API_STATUS SetWholeRecord(Directory& directory, Account& account,
                                const USER_INFO_4& record, LPDWORD parm_err);
  NET_API_STATUS BeginMembershipCall(const std::string& operation,
                                     LPCWSTR servername, LPCWSTR groupname,
                                     LPCWSTR username, Directory*& directory,
                                     Group*& group);
  // Records a record-string field: its text and the size of the allocated
  // block it lives in (0 when it is not a live block of ours).
  void RecordField(Call& call, const std::string& key, LPCWSTR text);
  LPBYTE AllocateBlock(std::size_t bytes);
  // One batch of the names of `items` from the resume position on; an item
  // whose `name_of` is null is skipped. The entries left from the resume
  // position, skipped ones included, are reported as the total. `resume`
  // is the position in `items`, 0 once the listing is complete.
  // The same for whole records: `fill(item, builder)` adds the item's record
  // and returns true, or returns false to skip it.
  template <typename Record, typename Item, typename Fill>
  NET_API_STATUS ServeRecords(const std::vector<Item>& items, Fill&& fill,
                              DWORD prefmaxlen, LPBYTE* bufptr,
                              LPDWORD entriesread, LPDWORD totalentries,
                              DWORD_PTR& resume);
  template <typename Record, typename Item, typename NameOf>
  NET_API_STATUS ServeNames(LPWSTR Record::*field,
                            const std::vector<Item>& items, NameOf&& name_of,
                            DWORD prefmaxlen, LPBYTE* bufptr,
                            LPDWORD entriesread, LPDWORD totalentries,
                            DWORD_PTR& resume);

  std::deque<std::unique_ptr<Directory>> directories_;
  std::map<std::u16string, std::u16string> controllers_;  // domain -> server
  std::map<std::string, std::map<int, NET_API_STATUS>> faults_;
  std::map<std::string, int> call_counts_;
  Journal journal_;
  BlockLedger ledger_;
  DWORD platform_id_ = VER_PLATFORM_WIN32_NT;
  std::optional<DWORD> thread_id_;
  DWORD last_error_ = 0;
  std::uint32_t next_domain_sub_ = 1000;
  std::uint64_t changes_ = 0;
};

}  // namespace corvane::netapi::simulated
