#include "cli/report/streamed_names.h"

namespace corvane::cli {

std::string ShowNames(netapi::Api& api, const common::BatchCall& next_batch,
                      Report& report, const std::string& key,
                      std::u16string_view kind) {
  report.List(key, {});
  const std::string result = tasks::WalkNames(
      api, next_batch, kind,
      [&](std::string name) { report.StreamName(key, std::move(name)); },
      [&] { report.FlushNames(); });
  report.FlushNames();
  return result;
}

}  // namespace corvane::cli
