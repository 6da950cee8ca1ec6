#include "tests/integration/dc_environment.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

#include "netapi/samba/text.h"

namespace corvane::integration {
namespace {

std::string Required(const char* variable) {
  const char* value = std::getenv(variable);
  if (value == nullptr || *value == '\0') {
    throw std::runtime_error(std::string(variable) +
                             " is not set: run the suite through "
                             "tests/dc/with-dc.sh");
  }
  return value;
}

std::unique_ptr<netapi::SambaApi> api;

class ControllerEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    const Controller& dc = TheController();
    netapi::SambaConfig config;
    config.controller_host = dc.host;
    config.workgroup = dc.domain;
    config.realm = dc.realm;
    config.auth_file = dc.auth_file;
    api = std::make_unique<netapi::SambaApi>(config);
  }
  void TearDown() override { api.reset(); }
};

[[maybe_unused]] const auto* const registered =
    ::testing::AddGlobalTestEnvironment(new ControllerEnvironment);

}  // namespace

const Controller& TheController() {
  static const Controller controller{
      Required("CORVANE_DC_HOST"),      Required("CORVANE_DC_NAME"),
      Required("CORVANE_DC_REALM"),     Required("CORVANE_DC_DOMAIN"),
      Required("CORVANE_DC_AUTH_FILE"), Required("CORVANE_DC_CLIENT_CONF"),
      Required("CORVANE_DC_SMB_CONF"),  Required("CORVANE_DC_DIR")};
  return controller;
}

netapi::SambaApi& TheApi() {
  if (!api) throw std::runtime_error("the Samba backend is not set up");
  return *api;
}

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string Run(const std::string& command) {
  std::string output;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) {
    ADD_FAILURE() << "cannot run: " << command;
    return output;
  }
  char chunk[4096];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, n);
  const int status = pclose(pipe);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    ADD_FAILURE() << "command failed: " << command << "\n" << output;
  }
  return output;
}

namespace {
std::string Base36(unsigned long long value) {
  std::string digits;
  do {
    digits.insert(digits.begin(),
                  "0123456789abcdefghijklmnopqrstuvwxyz"[value % 36]);
    value /= 36;
  } while (value != 0);
  return digits;
}
}  // namespace

std::string UniqueName(const std::string& prefix) {
  static std::atomic<unsigned> counter{0};
  static const std::string run =
      Base36(static_cast<unsigned long long>(
                 std::chrono::system_clock::now().time_since_epoch().count()) %
             46656);
  return prefix + run + "-" + Base36(counter++);
}

std::u16string W(const std::string& utf8) {
  return netapi::samba::ToUtf16(utf8).value();
}

std::string Narrow(const netapi::WCHAR* text) {
  return netapi::samba::ToUtf8(text).value();
}

}  // namespace corvane::integration
