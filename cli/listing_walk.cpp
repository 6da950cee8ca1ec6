#include "cli/listing_walk.h"

#include <memory>

#include "automation/text.h"
#include "common/result_text.h"

namespace corvane::cli {
namespace {

std::string ResultText(const std::optional<common::ListingFailure>& failure,
                       std::u16string_view kind) {
  if (!failure) return "SUCCESS";
  return automation::ToUtf8(common::FailedEnumeration(
      failure->status, failure->entries_read, failure->total_entries, kind));
}

}  // namespace

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

CollectedNames CollectNames(netapi::Api& api,
                            const common::BatchCall& next_batch,
                            std::u16string_view kind) {
  CollectedNames collected;
  const auto failure =
      common::ListNames(api, next_batch, [&](std::u16string name) {
        collected.names.push_back(automation::ToUtf8(name));
      });
  collected.result = ResultText(failure, kind);
  return collected;
}

std::string ShowNames(netapi::Api& api, const common::BatchCall& next_batch,
                      Report& report, const std::string& key,
                      std::u16string_view kind) {
  report.List(key, {});
  const auto failure = common::ListNames(
      api,
      [&](netapi::LPBYTE* batch, netapi::LPDWORD read, netapi::LPDWORD total) {
        report.FlushNames();
        return next_batch(batch, read, total);
      },
      [&](std::u16string name) {
        report.StreamName(key, automation::ToUtf8(name));
      });
  report.FlushNames();
  return ResultText(failure, kind);
}

}  // namespace corvane::cli
