// Listings as the command line walks them: each batch's names are out, in
// text and in JSON, before the next batch is asked for, and the JSON
// document is whole at the end; a user's groups come whole or not at all.
#include <gtest/gtest.h>

#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/account_facts.h"
#include "cli/listing_walk.h"
#include "cli/report.h"
#include "netapi/forwarding_api.h"
#include "netapi/simulated/demo_domain.h"

namespace corvane::cli_test {
namespace {

TEST(Listing, EachBatchIsShownBeforeTheNextIsAskedFor) {
  for (const bool json : {false, true}) {
    SCOPED_TRACE(json ? "json" : "text");
    netapi::simulated::SimulatedController controller;
    netapi::simulated::SeedDemoDomain(controller);
    std::ostringstream out;
    std::streambuf* const saved = std::cout.rdbuf(out.rdbuf());
    cli::Report report(json);
    report.StreamJson();
    std::vector<std::string> shown_before_each_call;
    netapi::DWORD resume = 0;
    // Batches of one name each.
    const std::string result = cli::ShowNames(
        controller,
        [&](netapi::LPBYTE* batch, netapi::LPDWORD read,
            netapi::LPDWORD total) {
          shown_before_each_call.push_back(out.str());
          return controller.NetUserEnum(u"\\\\DC1", 0,
                                        netapi::FILTER_NORMAL_ACCOUNT, batch, 1,
                                        read, total, &resume);
        },
        report, "users", u"user");
    report.Finish("", result);
    report.Print();
    std::cout.rdbuf(saved);

    ASSERT_EQ(shown_before_each_call.size(), 5u);
    EXPECT_EQ(shown_before_each_call[0], "");
    EXPECT_NE(shown_before_each_call[1].find("Administrator"),
              std::string::npos);
    EXPECT_NE(shown_before_each_call[4].find("bob"), std::string::npos);
    if (json) {
      const auto document = nlohmann::json::parse(out.str());
      EXPECT_EQ(document["users"].size(), 5u);
      EXPECT_EQ(document["lastError"], "SUCCESS");
    }
  }
}

// The platform's call has no resume handle: an answer cut short cannot be
// continued, and is a failure rather than a shorter list.
TEST(Listing, AUsersGroupsCutShortAreAFailure) {
  netapi::simulated::SimulatedController controller;
  netapi::simulated::SeedDemoDomain(controller);
  struct CutShort : netapi::ForwardingApi {
    using ForwardingApi::ForwardingApi;
    int calls = 0;
    netapi::NET_API_STATUS NetUserGetGroups(
        netapi::LPCWSTR server, netapi::LPCWSTR user, netapi::DWORD level,
        netapi::LPBYTE* buffer, netapi::DWORD prefmaxlen, netapi::LPDWORD read,
        netapi::LPDWORD total) override {
      // The first answer is cut short; a second would start over.
      return ForwardingApi::NetUserGetGroups(server, user, level, buffer,
                                             ++calls == 1 ? 1 : prefmaxlen,
                                             read, total);
    }
  } api(controller);
  const auto groups = cli::ReadUserGroups(api, u"\\\\DC1", u"bob");
  EXPECT_FALSE(groups.value);
  EXPECT_NE(groups.error.find("Unable to list the groups of bob"),
            std::string::npos)
      << groups.error;
  EXPECT_EQ(api.calls, 1);
}

}  // namespace
}  // namespace corvane::cli_test
