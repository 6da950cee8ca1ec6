// A small demo domain for the simulated controller: domain CORVANE with its
// controller DC1, the built-in accounts, a few people, a computer and a
// trust account, and some global groups.
#pragma once

#include "netapi/simulated/simulated_controller.h"

namespace corvane::netapi::simulated {

inline constexpr char16_t kDemoDomain[] = u"CORVANE";
inline constexpr char16_t kDemoController[] = u"DC1";

Directory& SeedDemoDomain(SimulatedController& controller);

// The demo domain, filled up with numbered normal accounts ("user1",
// "user2", ...) until it holds as many normal accounts as the environment
// variable CORVANE_SIMULATED_USERS says, when it is set: how a test server
// started by COM gets a large domain.
Directory& SeedDemoDomainFromEnvironment(SimulatedController& controller);

}  // namespace corvane::netapi::simulated
