#include "tasks/listings.h"

#include <memory>

#include "automation/text.h"
#include "common/result_text.h"

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
