#include "tasks/listings.h"

#include <ctime>
#include <memory>

#include "automation/text.h"
#include "common/result_text.h"
#include "common/string_buffers.h"
#include "netapi/api_buffer.h"

namespace corvane::tasks {

common::BatchCall UserBatches(netapi::Api& api, std::u16string server) {
  auto resume = std::make_shared<netapi::DWORD>(0);
  return
      [&api, server = std::move(server), resume](
          netapi::LPBYTE* batch, netapi::LPDWORD read, netapi::LPDWORD total) {
        return api.NetUserEnum(server.c_str(), 0, netapi::FILTER_NORMAL_ACCOUNT,
                               batch, kListingBatchBytes, read, total,
                               resume.get());
      };
}

common::BatchCall AccountBatches(netapi::Api& api, std::u16string server) {
  auto resume = std::make_shared<netapi::DWORD>(0);
  return
      [&api, server = std::move(server), resume](
          netapi::LPBYTE* batch, netapi::LPDWORD read, netapi::LPDWORD total) {
        return api.NetUserEnum(server.c_str(), 3, netapi::FILTER_NORMAL_ACCOUNT,
                               batch, kAccountBatchBytes, read, total,
                               resume.get());
      };
}

common::BatchCall MatchingAccountBatches(netapi::AccountSearch& search,
                                         std::u16string server,
                                         netapi::AccountQuery query) {
  auto resume = std::make_shared<netapi::DWORD>(0);
  return
      [&search, server = std::move(server), query, resume](
          netapi::LPBYTE* batch, netapi::LPDWORD read, netapi::LPDWORD total) {
        return search.NetUserEnumMatching(server.c_str(), query, batch,
                                          kAccountBatchBytes, read, total,
                                          resume.get());
      };
}

namespace {

Time At(std::int64_t seconds) { return Time(std::chrono::seconds(seconds)); }

ListedAccount AccountOf(const netapi::USER_INFO_3& info, std::int64_t now) {
  ListedAccount account;
  account.name = common::ReadString(info.usri3_name);
  account.full_name = common::ReadString(info.usri3_full_name);
  account.comment = common::ReadString(info.usri3_comment);
  account.home_dir = common::ReadString(info.usri3_home_dir);
  account.script_path = common::ReadString(info.usri3_script_path);
  account.flags = info.usri3_flags;
  account.disabled = (info.usri3_flags & netapi::UF_ACCOUNTDISABLE) != 0;
  account.locked_out = (info.usri3_flags & netapi::UF_LOCKOUT) != 0;
  account.must_change_password = info.usri3_password_expired != 0;
  account.password_expired =
      account.must_change_password ||
      (info.usri3_flags & netapi::UF_PASSWORD_EXPIRED) != 0;
  if (info.usri3_last_logon != 0) {
    account.last_logon = At(info.usri3_last_logon);
  }
  if (info.usri3_password_age < now) {
    account.password_last_set = At(now - info.usri3_password_age);
  }
  if (info.usri3_acct_expires != netapi::TIMEQ_FOREVER &&
      info.usri3_acct_expires != 0) {
    account.account_expires = At(info.usri3_acct_expires);
    account.account_expired = info.usri3_acct_expires <= now;
  }
  account.bad_password_count = info.usri3_bad_pw_count;
  return account;
}

}  // namespace

bool AccountFilter::Matches(const ListedAccount& account) const {
  return (!disabled || account.disabled) && (!locked || account.locked_out) &&
         (!expired || account.password_expired || account.account_expired) &&
         (!never_logged_on || !account.last_logon);
}

std::optional<common::ListingFailure> WalkAccountRecords(
    netapi::Api& api, const common::BatchCall& next_batch,
    const std::function<bool(std::span<const netapi::USER_INFO_3>)>& each_batch,
    const std::function<void()>& before_batch) {
  // The batch walk of common::ListNames, over whole records: the counts
  // carry over from batch to batch, and a batch promising more but holding
  // none ends the walk as a failure.
  netapi::DWORD read = 0, total = 0;
  for (;;) {
    if (before_batch) before_batch();
    netapi::ApiBuffer batch(api);
    const netapi::NET_API_STATUS status =
        KeepIfSucceeded(batch, next_batch(batch.put(), &read, &total));
    if (!netapi::Succeeded(status)) {
      return common::ListingFailure{status, read, total};
    }
    if (!each_batch(std::span(batch.As<netapi::USER_INFO_3>(), read))) {
      return std::nullopt;
    }
    if (status == netapi::NERR_Success || read == total) return std::nullopt;
    if (read == 0) return common::ListingFailure{status, read, total};
  }
}

std::string WalkAccounts(netapi::Api& api, const common::BatchCall& next_batch,
                         const std::function<void(ListedAccount)>& each,
                         const std::function<void()>& before_batch) {
  const auto now = static_cast<std::int64_t>(std::time(nullptr));
  const std::optional<common::ListingFailure> failure = WalkAccountRecords(
      api, next_batch,
      [&](std::span<const netapi::USER_INFO_3> records) {
        for (const netapi::USER_INFO_3& record : records) {
          each(AccountOf(record, now));
        }
        return true;
      },
      before_batch);
  if (!failure) return "SUCCESS";
  return automation::ToUtf8(common::FailedEnumeration(
      failure->status, failure->entries_read, failure->total_entries, u"user"));
}

common::BatchCall GroupBatches(netapi::Api& api, std::u16string server) {
  auto resume = std::make_shared<netapi::DWORD_PTR>(0);
  return
      [&api, server = std::move(server), resume](
          netapi::LPBYTE* batch, netapi::LPDWORD read, netapi::LPDWORD total) {
        return api.NetGroupEnum(server.c_str(), 0, batch, kListingBatchBytes,
                                read, total, resume.get());
      };
}

common::BatchCall MemberBatches(netapi::Api& api, std::u16string server,
                                std::u16string group) {
  auto resume = std::make_shared<netapi::DWORD_PTR>(0);
  return [&api, server = std::move(server), group = std::move(group), resume](
             netapi::LPBYTE* batch, netapi::LPDWORD read,
             netapi::LPDWORD total) {
    return api.NetGroupGetUsers(server.c_str(), group.c_str(), 0, batch,
                                kListingBatchBytes, read, total, resume.get());
  };
}

std::string WalkNames(netapi::Api& api, const common::BatchCall& next_batch,
                      std::u16string_view kind,
                      const std::function<void(std::string name)>& each,
                      const std::function<void()>& before_batch) {
  const auto failure = common::ListNames(
      api,
      [&](netapi::LPBYTE* batch, netapi::LPDWORD read, netapi::LPDWORD total) {
        if (before_batch) before_batch();
        return next_batch(batch, read, total);
      },
      [&](std::u16string name) { each(automation::ToUtf8(name)); });
  if (!failure) return "SUCCESS";
  return automation::ToUtf8(common::FailedEnumeration(
      failure->status, failure->entries_read, failure->total_entries, kind));
}

CollectedNames CollectNames(netapi::Api& api,
                            const common::BatchCall& next_batch,
                            std::u16string_view kind) {
  CollectedNames collected;
  collected.result = WalkNames(api, next_batch, kind, [&](std::string name) {
    collected.names.push_back(std::move(name));
  });
  return collected;
}

}  // namespace corvane::tasks
