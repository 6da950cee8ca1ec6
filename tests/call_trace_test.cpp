// The call trace passes each call through once, unchanged, and writes one
// line per call to a controller: name, server, level, status and time, and
// never a record.
#include "netapi/call_trace.h"

#include <gtest/gtest.h>

#include <sstream>

#include "netapi/api_buffer.h"
#include "netapi/simulated/demo_domain.h"

namespace corvane::netapi {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(CallTrace, WritesOneLinePerCallAndNoRecord) {
  simulated::SimulatedController dc;
  simulated::SeedDemoDomain(dc);
  std::ostringstream out;
  CallTrace trace(dc, out);

  ApiBuffer info(trace);
  ASSERT_EQ(KeepIfSucceeded(info, trace.NetUserGetInfo(u"\\\\DC1", u"alice", 2,
                                                       info.put())),
            NERR_Success);
  EXPECT_EQ(std::u16string(info.As<USER_INFO_2>()->usri2_full_name),
            u"Alice Archer");
  std::u16string password = u"Trace-Secret-1";
  LPWSTR record = password.data();
  DWORD parm_err = 0;
  EXPECT_EQ(trace.NetUserSetInfo(u"\\\\DC1", u"alice", 1003,
                                 reinterpret_cast<LPBYTE>(&record), &parm_err),
            NERR_Success);
  EXPECT_EQ(trace.NetUserDel(u"\\\\DC1", u"nobody"), NERR_UserNotFound);
  EXPECT_EQ(trace.NetUserDel(u"\\\\DC1\nnetapi: forged", u"bob"),
            ERROR_BAD_NETPATH);
  DWORD sid_size = 0, domain_size = 0;
  SID_NAME_USE use{};
  EXPECT_FALSE(trace.LookupAccountName(u"\\\\DC1", u"nobody", nullptr,
                                       &sid_size, nullptr, &domain_size, &use));
  EXPECT_EQ(trace.LastError(), ERROR_NONE_MAPPED);

  const std::vector<std::string> lines = Lines(out.str());
  const std::vector<std::string> expected = {
      "netapi: NetUserGetInfo server=\"\\\\DC1\" level=2 status=0 time=",
      "netapi: NetUserSetInfo server=\"\\\\DC1\" level=1003 status=0 time=",
      "netapi: NetUserDel server=\"\\\\DC1\" status=2221 time=",
      "netapi: NetUserDel server=\"\\\\DC1\\x0Anetapi: forged\" status=53 "
      "time=",
      "netapi: LookupAccountName server=\"\\\\DC1\" status=1332 time="};
  ASSERT_EQ(lines.size(), expected.size()) << out.str();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].rfind(expected[i], 0), 0u) << lines[i];
    EXPECT_EQ(lines[i].substr(lines[i].size() - 2), "ms") << lines[i];
  }
  EXPECT_EQ(out.str().find("Trace-Secret"), std::string::npos);
  EXPECT_EQ(out.str().find("Alice"), std::string::npos);
  for (const char* call :
       {"NetUserGetInfo", "NetUserSetInfo", "LookupAccountName"}) {
    EXPECT_EQ(dc.journal().Count(call), 1u) << call;
  }
  EXPECT_EQ(dc.journal().Count("NetUserDel"), 2u);
  EXPECT_EQ(dc.journal().Of("NetUserSetInfo").at(0).Text("usri1003_password"),
            password);
}

}  // namespace
}  // namespace corvane::netapi
