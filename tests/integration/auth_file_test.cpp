// The authentication file of the Samba backend, read as smbclient -A reads
// it; the password is taken as written after "= ".
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "netapi/samba/session.h"

namespace corvane::integration {
namespace {

std::string Written(const std::string& text) {
  const std::string path =
      ::testing::TempDir() + "corvane-auth-" +
      ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::ofstream(path) << text;
  return path;
}

TEST(AuthFile, ReadsEachLineAndKeepsThePasswordAsWritten) {
  const std::string path = Written(
      "# comment\r\nusername =  admin \r\n"
      "password =  two words=x \r\ndomain = CORVANE\r\n");
  const netapi::samba::AuthFile auth = netapi::samba::ReadAuthFile(path);
  EXPECT_EQ(auth.username, "admin");
  EXPECT_EQ(auth.password.view(), "two words=x ");
  EXPECT_EQ(auth.domain, "CORVANE");
  std::remove(path.c_str());
}

TEST(AuthFile, NoUsernameOrNoFileIsRefused) {
  const std::string path = Written("password = x\n");
  EXPECT_THROW(netapi::samba::ReadAuthFile(path), std::runtime_error);
  std::remove(path.c_str());
  EXPECT_THROW(netapi::samba::ReadAuthFile(path), std::runtime_error);
}

}  // namespace
}  // namespace corvane::integration
