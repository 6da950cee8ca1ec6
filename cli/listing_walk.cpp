#include "cli/listing_walk.h"

#include "automation/text.h"
#include "common/result_text.h"

namespace corvane::cli {

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
  if (!failure) return "SUCCESS";
  return automation::ToUtf8(common::FailedEnumeration(
      failure->status, failure->entries_read, failure->total_entries, kind));
}

}  // namespace corvane::cli
