#include "netapi/samba/server_route.h"

#include "netapi/samba/text.h"

namespace corvane::netapi::samba {

std::string_view WithoutBackslashes(std::string_view name) {
  while (!name.empty() && name.front() == '\\') name.remove_prefix(1);
  return name;
}

ServerRoute::ServerRoute(const SambaConfig& config)
    : host_(config.controller_host),
      realm_(config.realm),
      controller_name_(config.controller_name) {}

std::optional<std::string> ServerRoute::Resolve(std::string_view server) const {
  const std::string_view name = WithoutBackslashes(server);
  if (name.empty() || EqualsIgnoringAsciiCase(name, host_)) return host_;
  std::lock_guard lock(mutex_);
  if (controller_name_.empty()) return std::nullopt;
  if (EqualsIgnoringAsciiCase(name, controller_name_)) return host_;
  if (!realm_.empty() &&
      EqualsIgnoringAsciiCase(name, controller_name_ + "." + realm_)) {
    return host_;
  }
  return std::nullopt;
}

void ServerRoute::LearnControllerName(std::string_view name) {
  std::lock_guard lock(mutex_);
  controller_name_ = WithoutBackslashes(name);
}

}  // namespace corvane::netapi::samba
