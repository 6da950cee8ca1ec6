// Each controller's own logons through the platform layer, for a backend
// with no way of its own: the account records of NetUserEnum (level 3) and
// NetUserGetInfo (level 4) with the controller as the server, which
// netapi32 asks directly and the simulated controller answers as itself.
#pragma once

#include "netapi/api.h"
#include "netapi/controller_logons.h"

namespace corvane::tasks {

class ListedLogons final : public netapi::ControllerLogons {
 public:
  explicit ListedLogons(netapi::Api& api) : api_(api) {}

  netapi::NET_API_STATUS ListLogons(
      const std::string& host,
      const std::function<bool(std::span<const netapi::ControllerLogon>)>&
          batch) override;
  netapi::NET_API_STATUS ReadLogon(const std::string& host,
                                   std::u16string_view name,
                                   netapi::ControllerLogon& logon) override;

 private:
  netapi::Api& api_;
};

}  // namespace corvane::tasks
