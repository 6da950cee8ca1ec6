// Finding controllers without being told one: the order service records
// are tried in, krb5.conf's default realm, the connection probe against the
// test controller, and the reasons location fails. Location from the
// controllers' own DNS is checked by controllers_test.sh (two controllers).
#include "netapi/samba/controller_location.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "tests/integration/dc_environment.h"

namespace corvane::integration {
namespace {

using netapi::samba::FoundController;
using std::chrono::milliseconds;

TEST(ControllerLocation, TheSiteFirstThenPriorityThenWeight) {
  std::vector<FoundController> found = {{"low-weight", "", 0, 10, false},
                                        {"later", "", 5, 100, false},
                                        {"high-weight", "", 0, 50, false},
                                        {"site", "", 9, 0, true},
                                        {"same-as-low", "", 0, 10, false}};
  netapi::samba::SortByPriority(found);
  std::vector<std::string> order;
  for (const FoundController& each : found) order.push_back(each.host_name);
  EXPECT_EQ(order,
            (std::vector<std::string>{"site", "high-weight", "low-weight",
                                      "same-as-low", "later"}));
}

TEST(ControllerLocation, TheDefaultRealmComesFromKrb5Conf) {
  char path[] = "/tmp/corvane-krb5-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  std::ofstream(path) << "[realms]\n default_realm = NOT.THIS\n"
                      << "[libdefaults]\n  # comment\n"
                      << "  default_realm = EXAMPLE.TEST  \n";
  const char* saved = getenv("KRB5_CONFIG");
  const std::string kept = saved ? saved : "";
  setenv("KRB5_CONFIG", (std::string("/nonexistent:") + path).c_str(), 1);
  EXPECT_EQ(netapi::samba::KerberosDefaultRealm(), "EXAMPLE.TEST");
  setenv("KRB5_CONFIG", "/nonexistent", 1);
  EXPECT_EQ(netapi::samba::KerberosDefaultRealm(), "");
  // Without a realm there is nothing to ask DNS for.
  EXPECT_THROW(netapi::samba::LocateControllers({}), std::runtime_error);
  if (saved) {
    setenv("KRB5_CONFIG", kept.c_str(), 1);
  } else {
    unsetenv("KRB5_CONFIG");
  }
  std::remove(path);
}

TEST(ControllerLocation, TheProbeSeesWhetherAControllerAnswers) {
  EXPECT_EQ(netapi::samba::ProbeController(TheController().host, 445,
                                           milliseconds(2000)),
            "");
  // Nothing listens on 127.0.0.9: refused at once.
  EXPECT_EQ(
      netapi::samba::ProbeController("127.0.0.9", 445, milliseconds(2000)),
      "Connection refused");
  EXPECT_EQ(netapi::samba::ProbeController("dc1", 445, milliseconds(10)),
            "no IPv4 address");
}

TEST(ControllerLocation, UnusableNamesAndServersAreRefusedBeforeAsking) {
  EXPECT_THROW(netapi::samba::LocateControllers({"bad realm", "", {}}),
               std::runtime_error);
  EXPECT_THROW(
      netapi::samba::LocateControllers({"CORVANE.TEST", "", {"not-an-ip"}}),
      std::runtime_error);
  EXPECT_THROW(netapi::samba::LocateControllers(
                   {"CORVANE.TEST",
                    "",
                    {"127.0.0.1", "127.0.0.2", "127.0.0.3", "127.0.0.4"}}),
               std::runtime_error);
  // The test controller has no DNS server: no answer, a readable reason.
  try {
    netapi::samba::LocateControllers(
        {TheController().realm, "", {TheController().host}});
    ADD_FAILURE() << "a controller was found without DNS";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("_ldap._tcp.dc._msdcs."),
              std::string::npos)
        << error.what();
  }
}

}  // namespace
}  // namespace corvane::integration
