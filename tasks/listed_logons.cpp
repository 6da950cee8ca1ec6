#include "tasks/listed_logons.h"

#include <type_traits>
#include <vector>

#include "automation/text.h"
#include "common/string_buffers.h"
#include "netapi/api_buffer.h"
#include "tasks/listings.h"

namespace corvane::tasks {
namespace {

template <typename Record>
netapi::ControllerLogon LogonOf(const Record& record) {
  if constexpr (std::is_same_v<Record, netapi::USER_INFO_3>) {
    return {common::ReadString(record.usri3_name), record.usri3_last_logon,
            record.usri3_bad_pw_count,
            (record.usri3_flags & netapi::UF_LOCKOUT) != 0};
  } else {
    return {common::ReadString(record.usri4_name), record.usri4_last_logon,
            record.usri4_bad_pw_count,
            (record.usri4_flags & netapi::UF_LOCKOUT) != 0};
  }
}

}  // namespace

netapi::NET_API_STATUS ListedLogons::ListLogons(
    const std::string& host,
    const std::function<bool(std::span<const netapi::ControllerLogon>)>&
        batch) {
  std::vector<netapi::ControllerLogon> logons;
  const std::optional<common::ListingFailure> failure =
      WalkAccountRecords(api_, AccountBatches(api_, automation::Widen(host)),
                         [&](std::span<const netapi::USER_INFO_3> records) {
                           logons.clear();
                           for (const netapi::USER_INFO_3& record : records) {
                             if (record.usri3_last_logon != 0)
                               logons.push_back(LogonOf(record));
                           }
                           return logons.empty() || batch(logons);
                         });
  return failure ? failure->status : netapi::NERR_Success;
}

netapi::NET_API_STATUS ListedLogons::ReadLogon(const std::string& host,
                                               std::u16string_view name,
                                               netapi::ControllerLogon& logon) {
  const std::u16string server = automation::Widen(host);
  const std::u16string user(name);
  netapi::ApiBuffer record(api_);
  const netapi::NET_API_STATUS status = KeepIfSucceeded(
      record,
      api_.NetUserGetInfo(server.c_str(), user.c_str(), 4, record.put()));
  if (status != netapi::NERR_Success) return status;
  logon = LogonOf(*record.As<netapi::USER_INFO_4>());
  return netapi::NERR_Success;
}

}  // namespace corvane::tasks
