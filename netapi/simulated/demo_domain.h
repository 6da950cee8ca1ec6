// A small demo domain for the simulated controller: domain CORVANE with its
// controller DC1, the built-in accounts, a few people, a computer and a
// trust account, and some global groups.
#pragma once

#include "netapi/simulated/simulated_controller.h"

namespace corvane::netapi::simulated {

inline constexpr char16_t kDemoDomain[] = u"CORVANE";
inline constexpr char16_t kDemoController[] = u"DC1";

Directory& SeedDemoDomain(SimulatedController& controller);

}  // namespace corvane::netapi::simulated
