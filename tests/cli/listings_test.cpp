// Listings as the command line walks them: each batch's names are out, in
// text and in JSON, before the next batch is asked for, and the JSON
// document is whole at the end.
#include <gtest/gtest.h>

#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/report/report.h"
#include "cli/report/streamed_names.h"
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

}  // namespace
}  // namespace corvane::cli_test
