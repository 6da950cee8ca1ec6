// The controller lookup and where server names lead.
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/integration/dc_environment.h"

namespace corvane::integration {
namespace {

using netapi::NERR_DCNotFound;
using netapi::NERR_Success;

std::u16string LookUpController(const char16_t* server, const char16_t* domain,
                                netapi::NET_API_STATUS expected) {
  netapi::ApiBuffer buffer(TheApi());
  EXPECT_EQ(TheApi().NetGetDCName(server, domain, buffer.put()), expected);
  if (expected != NERR_Success) return {};
  return buffer.As<char16_t>();
}

TEST(ControllerLookup, TheConfiguredControllerAnswersForItsDomain) {
  const std::u16string expected = u"\\\\" + W(TheController().name);
  EXPECT_EQ(
      LookUpController(u"", W(TheController().domain).c_str(), NERR_Success),
      expected);
  EXPECT_EQ(
      LookUpController(nullptr, W(TheController().realm).c_str(), NERR_Success),
      expected);
  // The domain of this machine: the configured one.
  EXPECT_EQ(LookUpController(u"", nullptr, NERR_Success), expected);
  EXPECT_EQ(LookUpController(u"", u"corvane", NERR_Success), expected);
}

TEST(ControllerLookup, OtherDomainsHaveNoController) {
  LookUpController(u"", u"ELSEWHERE", NERR_DCNotFound);
}

TEST(ControllerLookup, TheReturnedNameReachesTheSameController) {
  const std::u16string dc =
      LookUpController(u"", W(TheController().domain).c_str(), NERR_Success);
  const std::u16string host = W(TheController().host);
  for (const std::u16string& server :
       {dc, dc.substr(2), u"\\\\" + host, host, std::u16string()}) {
    netapi::ApiBuffer buffer(TheApi());
    EXPECT_EQ(TheApi().NetUserGetInfo(server.c_str(), u"Administrator", 2,
                                      buffer.put()),
              NERR_Success)
        << Narrow(server.c_str());
  }
}

TEST(ControllerLookup, NamesOfOtherMachinesAreRefusedUnsent) {
  netapi::ApiBuffer buffer(TheApi());
  EXPECT_EQ(TheApi().NetUserGetInfo(u"\\\\ELSEWHERE", u"Administrator", 2,
                                    buffer.put()),
            netapi::ERROR_BAD_NETPATH);
}

TEST(PlatformFacts, ReportsWindowsNtAndTheThreadId) {
  EXPECT_EQ(TheApi().PlatformId(), netapi::VER_PLATFORM_WIN32_NT);
  EXPECT_EQ(TheApi().CurrentThreadId(), static_cast<netapi::DWORD>(gettid()));
}

}  // namespace
}  // namespace corvane::integration
