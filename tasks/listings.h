// Listings of any length, walked batch by batch straight from the platform
// with the classes' own batch walk (common::ListNames): the contract's
// lists stop at 16-bit bounds, these do not. One batch is held at a time.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/name_listing.h"
#include "netapi/account_search.h"
#include "tasks/account_facts.h"

namespace corvane::tasks {

// Larger than the classes' batches (fewer round trips), and still bounded.
inline constexpr netapi::DWORD kListingBatchBytes = 64 * 1024;
// A level 3 record with its texts is some ten times a name: as many
// accounts a batch as the names' listing gives, about.
inline constexpr netapi::DWORD kAccountBatchBytes = 8 * kListingBatchBytes;

// The three listings, each a batch call on the controller `server` that
// keeps its own resume handle.
common::BatchCall UserBatches(netapi::Api& api, std::u16string server);
common::BatchCall GroupBatches(netapi::Api& api, std::u16string server);
common::BatchCall MemberBatches(netapi::Api& api, std::u16string server,
                                std::u16string group);

// The user accounts with their facts: NetUserEnum level 3, whose batches
// carry every account's flags and times, so that no account needs a call
// of its own.
common::BatchCall AccountBatches(netapi::Api& api, std::u16string server);

// The same, of the accounts that may match `query`, which the controller
// leaves out where the backend can have it do so (netapi/account_search.h).
common::BatchCall MatchingAccountBatches(netapi::AccountSearch& search,
                                         std::u16string server,
                                         netapi::AccountQuery query);

// An account as the level 3 listing gives it; times as in AccountFacts.
struct ListedAccount {
  std::u16string name;
  std::u16string full_name;
  std::u16string comment;
  std::u16string home_dir;
  std::u16string script_path;
  netapi::DWORD flags = 0;  // UF_*
  bool disabled = false;
  bool locked_out = false;
  // The password has expired, or must be changed at the next logon.
  bool password_expired = false;
  bool must_change_password = false;
  bool account_expired = false;
  std::optional<Time> last_logon;
  std::optional<Time> password_last_set;
  std::optional<Time> account_expires;
  netapi::DWORD bad_password_count = 0;
};

// Which accounts a filtered listing keeps: each filter asked for must hold.
struct AccountFilter {
  bool disabled = false;
  bool locked = false;
  bool expired = false;  // the password or the account
  bool never_logged_on = false;
  bool Matches(const ListedAccount& account) const;
  netapi::AccountQuery Query() const {
    return {disabled, locked, expired, never_logged_on};
  }
};

// The batch walk of WalkAccounts over the records themselves: each
// batch's level 3 records to `each_batch`, which returns false to stop;
// the failure as common::ListNames gives it.
std::optional<common::ListingFailure> WalkAccountRecords(
    netapi::Api& api, const common::BatchCall& next_batch,
    const std::function<bool(std::span<const netapi::USER_INFO_3>)>& each_batch,
    const std::function<void()>& before_batch = {});

// Hands every account of AccountBatches to `each` as it arrives, as
// WalkNames does names.
std::string WalkAccounts(netapi::Api& api, const common::BatchCall& next_batch,
                         const std::function<void(ListedAccount)>& each,
                         const std::function<void()>& before_batch = {});

// Hands every name to `each` as it arrives, calling `before_batch` before
// each batch is asked for (so a caller can show the names it has); returns
// "SUCCESS" or the failure as the classes word it (`kind`: "user" or
// "group").
std::string WalkNames(netapi::Api& api, const common::BatchCall& next_batch,
                      std::u16string_view kind,
                      const std::function<void(std::string name)>& each,
                      const std::function<void()>& before_batch = {});

// Every name of a listing, for a task that needs them all before it goes
// on.
struct CollectedNames {
  std::vector<std::string> names;
  std::string result;
};
CollectedNames CollectNames(netapi::Api& api,
                            const common::BatchCall& next_batch,
                            std::u16string_view kind);

}  // namespace corvane::tasks
