// What the server's objects run on: the platform layer and the event
// sink. The build chooses the implementation: netapi32 and the application
// event log (production), or the simulated controller (the test server).
#pragma once

#include <memory>

#include "common/environment.h"

namespace corvane::server {

class ServerPlatform {
 public:
  virtual ~ServerPlatform() = default;
  virtual common::Environment environment() = 0;
};

std::unique_ptr<ServerPlatform> MakeServerPlatform();

}  // namespace corvane::server
