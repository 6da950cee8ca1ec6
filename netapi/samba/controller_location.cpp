#include "netapi/samba/controller_location.h"

#include <arpa/inet.h>
#include <arpa/nameser.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <resolv.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>

#include "netapi/unique_fd.h"

namespace corvane::netapi::samba {
namespace {

std::string Lower(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Upper(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// A realm or site as it may appear in a DNS name: letters, digits, '-',
// '_' and dots between labels.
void RequireDnsName(const std::string& what, const std::string& name) {
  bool fine = !name.empty() && name.size() < 200 && name.front() != '.' &&
              name.back() != '.' && name.find("..") == std::string::npos;
  for (const char c : name) {
    fine = fine && (std::isalnum(static_cast<unsigned char>(c)) || c == '-' ||
                    c == '_' || c == '.');
  }
  if (!fine) throw std::runtime_error("not a usable " + what + ": " + name);
}

// The resolver's state, closed on every way out.
struct ResolverState {
  struct __res_state state {};
  bool open = false;
  ~ResolverState() {
    if (open) res_nclose(&state);
  }
};

void UseServers(struct __res_state& state,
                const std::vector<std::string>& servers) {
  if (servers.empty()) return;
  if (servers.size() > MAXNS) {
    throw std::runtime_error("at most " + std::to_string(MAXNS) +
                             " name servers can be given");
  }
  int count = 0;
  for (const std::string& server : servers) {
    std::string address = server;
    std::uint16_t port = NAMESERVER_PORT;
    if (const auto colon = server.rfind(':'); colon != std::string::npos) {
      address = server.substr(0, colon);
      const std::string digits = server.substr(colon + 1);
      char* end = nullptr;
      const unsigned long value = std::strtoul(digits.c_str(), &end, 10);
      if (digits.empty() || *end != '\0' || value == 0 || value > 65535) {
        throw std::runtime_error("not a name server: " + server);
      }
      port = static_cast<std::uint16_t>(value);
    }
    sockaddr_in& entry = state.nsaddr_list[count];
    entry = {};
    entry.sin_family = AF_INET;
    entry.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &entry.sin_addr) != 1) {
      throw std::runtime_error("not a name server's IPv4 address: " + server);
    }
    ++count;
  }
  state.nscount = count;
}

// One question; its answer's records handed to `each` by section. False
// with `reason` when there is no answer.
template <typename Each>
bool Ask(struct __res_state& state, const std::string& name, int type,
         std::string& reason, Each&& each) {
  std::vector<unsigned char> answer(8192);
  const int length = res_nquery(&state, name.c_str(), ns_c_in, type,
                                answer.data(), static_cast<int>(answer.size()));
  if (length < 0) {
    switch (state.res_h_errno) {
      case HOST_NOT_FOUND:
        reason = "no such name";
        break;
      case NO_DATA:
        reason = "no records";
        break;
      case TRY_AGAIN:
        reason = "no name server answered";
        break;
      default:
        reason = "the name server refused or failed";
    }
    return false;
  }
  ns_msg message;
  if (ns_initparse(answer.data(),
                   std::min(length, static_cast<int>(answer.size())),
                   &message) != 0) {
    reason = "a malformed answer";
    return false;
  }
  for (const ns_sect section : {ns_s_an, ns_s_ar}) {
    const int count = ns_msg_count(message, section);
    for (int i = 0; i < count; ++i) {
      ns_rr record;
      if (ns_parserr(&message, section, i, &record) != 0) continue;
      each(message, section, record);
    }
  }
  return true;
}

// The service records of `name`, their targets' addresses as the answer's
// additional records give them into `addresses`.
bool AskServices(struct __res_state& state, const std::string& name,
                 std::vector<FoundController>& found,
                 std::map<std::string, std::string>& addresses,
                 std::string& reason) {
  return Ask(
      state, name, ns_t_srv, reason,
      [&](const ns_msg& message, ns_sect section, const ns_rr& record) {
        if (ns_rr_class(record) != ns_c_in) return;
        const unsigned char* data = ns_rr_rdata(record);
        if (section == ns_s_an && ns_rr_type(record) == ns_t_srv &&
            ns_rr_rdlen(record) > 6) {
          char target[NS_MAXDNAME];
          if (ns_name_uncompress(ns_msg_base(message), ns_msg_end(message),
                                 data + 6, target, sizeof target) < 0) {
            return;
          }
          FoundController controller;
          controller.priority = ns_get16(data);
          controller.weight = ns_get16(data + 2);
          controller.host_name = Lower(target);
          // "." alone: the service is decidedly not offered here.
          if (controller.host_name.empty() || controller.host_name == ".") {
            return;
          }
          found.push_back(std::move(controller));
        } else if (section == ns_s_ar && ns_rr_type(record) == ns_t_a &&
                   ns_rr_rdlen(record) == 4) {
          char text[INET_ADDRSTRLEN];
          if (inet_ntop(AF_INET, data, text, sizeof text) != nullptr) {
            addresses.emplace(Lower(ns_rr_name(record)), text);
          }
        }
      });
}

std::string AskAddress(struct __res_state& state, const std::string& name) {
  std::string address, reason;
  Ask(state, name, ns_t_a, reason,
      [&](const ns_msg&, ns_sect section, const ns_rr& record) {
        if (section == ns_s_an && ns_rr_type(record) == ns_t_a &&
            ns_rr_rdlen(record) == 4 && address.empty()) {
          char text[INET_ADDRSTRLEN];
          if (inet_ntop(AF_INET, ns_rr_rdata(record), text, sizeof text)) {
            address = text;
          }
        }
      });
  return address;
}

}  // namespace

void SortByPriority(std::vector<FoundController>& controllers) {
  std::stable_sort(controllers.begin(), controllers.end(),
                   [](const FoundController& a, const FoundController& b) {
                     if (a.in_site != b.in_site) return a.in_site;
                     if (a.priority != b.priority)
                       return a.priority < b.priority;
                     return a.weight > b.weight;
                   });
}

Location LocateControllers(const LocationRequest& request) {
  Location location;
  location.realm =
      Upper(request.realm.empty() ? KerberosDefaultRealm() : request.realm);
  if (location.realm.empty()) {
    throw std::runtime_error(
        "no realm to find controllers for: give --realm, -s FILE with a "
        "realm, or --server HOST (krb5.conf names no default_realm)");
  }
  RequireDnsName("realm", location.realm);
  if (!request.site.empty()) RequireDnsName("site", request.site);
  const std::string domain = Lower(location.realm);
  location.query = "_ldap._tcp.dc._msdcs." + domain;

  ResolverState resolver;
  if (res_ninit(&resolver.state) != 0) {
    throw std::runtime_error("the DNS resolver cannot be set up");
  }
  resolver.open = true;
  UseServers(resolver.state, request.dns_servers);
  // Each name server once, a second at a time: a controller's DNS is
  // near, and a dead one must not hold the command up.
  resolver.state.retrans = 1;
  resolver.state.retry = 1;

  std::vector<FoundController> found;
  std::map<std::string, std::string> addresses;
  std::string reason;
  if (!request.site.empty()) {
    std::string site_reason;
    AskServices(resolver.state,
                "_ldap._tcp." + request.site + "._sites.dc._msdcs." + domain,
                found, addresses, site_reason);
    for (FoundController& controller : found) controller.in_site = true;
  }
  const bool answered =
      AskServices(resolver.state, location.query, found, addresses, reason);
  if (!answered && found.empty()) {
    throw std::runtime_error("no domain controller of " + location.realm +
                             " found in DNS (" + location.query + ": " +
                             reason + ")");
  }
  // One entry per controller, the site's first.
  std::set<std::string> seen;
  for (FoundController& controller : found) {
    if (!seen.insert(controller.host_name).second) continue;
    const auto known = addresses.find(controller.host_name);
    controller.address = known != addresses.end()
                             ? known->second
                             : AskAddress(resolver.state, controller.host_name);
    location.controllers.push_back(std::move(controller));
  }
  SortByPriority(location.controllers);
  if (location.controllers.empty()) {
    throw std::runtime_error("no domain controller of " + location.realm +
                             " found in DNS (" + location.query +
                             ": no records)");
  }
  return location;
}

std::string KerberosDefaultRealm() {
  std::vector<std::string> files;
  const char* configured = std::getenv("KRB5_CONFIG");
  std::stringstream list(configured != nullptr ? configured : "/etc/krb5.conf");
  for (std::string file; std::getline(list, file, ':');) {
    if (!file.empty()) files.push_back(file);
  }
  for (const std::string& file : files) {
    std::ifstream in(file);
    bool libdefaults = false;
    for (std::string line; std::getline(in, line);) {
      line = Trim(line);
      if (line.empty() || line[0] == '#' || line[0] == ';') continue;
      if (line[0] == '[') {
        libdefaults = line.rfind("[libdefaults]", 0) == 0;
        continue;
      }
      if (!libdefaults) continue;
      const auto equals = line.find('=');
      if (equals == std::string::npos) continue;
      if (Trim(line.substr(0, equals)) == "default_realm") {
        return Trim(line.substr(equals + 1));
      }
    }
  }
  return {};
}

std::string ProbeController(const std::string& address, std::uint16_t port,
                            std::chrono::milliseconds timeout) {
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(port);
  if (address.empty() ||
      inet_pton(AF_INET, address.c_str(), &target.sin_addr) != 1) {
    return "no IPv4 address";
  }
  UniqueFd socket_fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!socket_fd) return std::string("socket: ") + std::strerror(errno);
  // A blocking connect, bounded by the send timeout: on Linux it gives up
  // with EINPROGRESS when that runs out.
  timeval limit{};
  limit.tv_sec = static_cast<time_t>(timeout.count() / 1000);
  limit.tv_usec = static_cast<suseconds_t>(timeout.count() % 1000 * 1000);
  if (::setsockopt(socket_fd.get(), SOL_SOCKET, SO_SNDTIMEO, &limit,
                   sizeof limit) != 0) {
    return std::string("setsockopt: ") + std::strerror(errno);
  }
  if (::connect(socket_fd.get(), reinterpret_cast<const sockaddr*>(&target),
                sizeof target) == 0) {
    return {};
  }
  if (errno == EINPROGRESS || errno == EAGAIN) {
    std::ostringstream text;
    text << "no answer within " << timeout.count() / 1000.0 << " s";
    return text.str();
  }
  return std::strerror(errno);
}

}  // namespace corvane::netapi::samba
