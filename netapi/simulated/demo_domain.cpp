#include "netapi/simulated/demo_domain.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace corvane::netapi::simulated {
namespace {

Account Person(std::u16string name, std::u16string full_name,
               std::u16string comment) {
  Account account;
  account.name = std::move(name);
  account.full_name = std::move(full_name);
  account.comment = std::move(comment);
  account.password = u"Demo-Pass-1";
  return account;
}

}  // namespace

Directory& SeedDemoDomain(SimulatedController& controller) {
  Directory& domain = controller.AddDomain(kDemoDomain, kDemoController);

  Account administrator = Person(u"Administrator", u"",
                                 u"Built-in account for administering the "
                                 u"computer/domain");
  administrator.priv = USER_PRIV_ADMIN;
  domain.AddUserWithRid(administrator, 500);
  Account guest = Person(u"Guest", u"",
                         u"Built-in account for guest access to the "
                         u"computer/domain");
  guest.priv = USER_PRIV_GUEST;
  guest.flags |= UF_ACCOUNTDISABLE;
  domain.AddUserWithRid(guest, 501);

  Account alice = Person(u"alice", u"Alice Archer", u"Accounts");
  alice.home_dir = u"\\\\FS1\\home\\alice";
  alice.script_path = u"logon.cmd";
  domain.AddUser(alice);
  domain.AddUser(Person(u"bob", u"Bob Baker", u"Sales"));
  domain.AddUser(Person(u"carol", u"Carol Clark", u"Sales"));

  Account workstation;
  workstation.name = u"WS01$";
  workstation.flags = UF_SCRIPT | UF_WORKSTATION_TRUST_ACCOUNT;
  domain.AddUser(workstation);
  Account trust;
  trust.name = u"PARTNER$";
  trust.flags = UF_SCRIPT | UF_INTERDOMAIN_TRUST_ACCOUNT;
  domain.AddUser(trust);

  domain.AddGroupWithRid(Group{u"Domain Admins",
                               u"Designated administrators of the domain",
                               {u"Administrator"},
                               {}},
                         512);
  domain.AddGroupWithRid(Group{u"Domain Users",
                               u"All domain users",
                               {u"Administrator", u"alice", u"bob", u"carol"},
                               {}},
                         513);
  domain.AddGroup(Group{u"Sales", u"Sales team", {u"bob", u"carol"}, {}});
  return domain;
}

Directory& SeedDemoDomainFromEnvironment(SimulatedController& controller) {
  Directory& domain = SeedDemoDomain(controller);
  const char* wanted = std::getenv("CORVANE_SIMULATED_USERS");
  if (!wanted) return domain;
  const auto normal = static_cast<unsigned long>(std::count_if(
      domain.users().begin(), domain.users().end(), [](const Account& account) {
        return account.flags & UF_NORMAL_ACCOUNT;
      }));
  const unsigned long count = std::strtoul(wanted, nullptr, 10);
  for (unsigned long number = 1; number + normal <= count; ++number) {
    Account account;
    account.name = u"user";
    for (const char digit : std::to_string(number)) account.name += digit;
    domain.AddUser(std::move(account));
  }
  return domain;
}

}  // namespace corvane::netapi::simulated
