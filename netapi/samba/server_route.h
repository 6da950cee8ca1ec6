// Only the backend decides where a call goes. libnetapi would take an empty
// server name as "this machine" and fall through to NetBIOS broadcasts, and
// it does not strip a leading "\\"; so every server name the caller passes
// is mapped here onto the one configured controller, and names of any
// other machine are refused before anything is sent.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "netapi/samba/samba_config.h"

namespace corvane::netapi::samba {

class ServerRoute {
 public:
  explicit ServerRoute(const SambaConfig& config);

  // The host libnetapi is to connect to for `server`: empty (this machine,
  // which here means the configured controller), the controller's host, its
  // NetBIOS name or its DNS name, each with or without leading
  // backslashes. nullopt for any other machine.
  std::optional<std::string> Resolve(std::string_view server) const;

  // The controller's NetBIOS name as the controller itself reported it.
  void LearnControllerName(std::string_view name);

 private:
  std::string host_;
  std::string realm_;
  mutable std::mutex mutex_;
  std::string controller_name_;
};

// `name` without its leading backslashes.
std::string_view WithoutBackslashes(std::string_view name);

}  // namespace corvane::netapi::samba
