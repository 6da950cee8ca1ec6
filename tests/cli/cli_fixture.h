// A user at a shell running corvane against the simulated demo domain,
// one process per command, with the state kept in a file between them.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/cli/cli_runner.h"

namespace corvane::cli_test {

class CorvaneSession : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("CORVANE_DOMAIN");
    unsetenv("CORVANE_SERVER");
  }

  // corvane --simulate STATE --domain CORVANE ARGS...
  Outcome Corvane(std::vector<std::string> args,
                  const std::string& input = "") {
    args.insert(args.begin(), {"--simulate", state_, "--domain", "CORVANE"});
    return RunCorvane(args, input);
  }
  // The same with --json; the output must parse.
  nlohmann::json Json(std::vector<std::string> args, int expected_status = 0,
                      const std::string& input = "") {
    args.insert(args.begin(), "--json");
    const Outcome outcome = Corvane(args, input);
    EXPECT_EQ(outcome.status, expected_status) << outcome.err;
    try {
      return nlohmann::json::parse(outcome.out);
    } catch (const nlohmann::json::exception& error) {
      ADD_FAILURE() << "not JSON: " << outcome.out << "\n" << error.what();
      return nullptr;
    }
  }
  // Runs a command that must succeed and returns its standard output.
  std::string Ok(const std::vector<std::string>& args,
                 const std::string& input = "") {
    const Outcome outcome = Corvane(args, input);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return outcome.out;
  }

  TempDir dir_;
  std::string state_ = dir_.File("state.json");
};

}  // namespace corvane::cli_test
