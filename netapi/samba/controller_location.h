// Finding a domain's controllers without being told one: the realm's DNS
// service records (_ldap._tcp.dc._msdcs.REALM, and the site's own
// _ldap._tcp.SITE._sites.dc._msdcs.REALM first when a site is given), as
// Samba's own tools and Windows clients find them, and a bounded probe of
// whether one answers. Plain types, so that a face can hold the result
// without Samba's headers.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace corvane::netapi::samba {

struct FoundController {
  std::string host_name;  // as the service record names it: dc1.corvane.test
  std::string address;    // its IPv4 address, from the same DNS
  std::uint16_t priority = 0;
  std::uint16_t weight = 0;
  bool in_site = false;  // named by the site's own records
};

struct LocationRequest {
  // Empty: the Kerberos default realm (krb5.conf's default_realm).
  std::string realm;
  // The client's site; empty: no site's records are asked.
  std::string site;
  // Name servers to ask instead of the host's resolver (resolv.conf), as
  // "ADDRESS" or "ADDRESS:PORT", at most three.
  std::vector<std::string> dns_servers;
};

struct Location {
  std::string realm;  // upper case
  std::string query;  // the record name asked for the whole realm
  // In the order to try: the site's first, then by priority (lowest
  // first) and weight (highest first), in the DNS answer's order
  // otherwise, as Samba orders them.
  std::vector<FoundController> controllers;
};

// Throws std::runtime_error with a readable reason: no realm, a name
// server that cannot be used, no such records.
Location LocateControllers(const LocationRequest& request);

// The realm krb5.conf names as default_realm (KRB5_CONFIG's files, else
// /etc/krb5.conf); empty when none does.
std::string KerberosDefaultRealm();

// Whether `address` accepts a TCP connection on `port` within `timeout`:
// empty when it does, else the reason ("connection refused", "no answer
// within 2 s").
std::string ProbeController(const std::string& address, std::uint16_t port,
                            std::chrono::milliseconds timeout);

// The order Samba's tools try service records in (see Location).
void SortByPriority(std::vector<FoundController>& controllers);

}  // namespace corvane::netapi::samba
