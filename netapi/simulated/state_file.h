// The directory data of a simulated controller as a JSON document, so that
// separate processes (successive `corvane --simulate FILE` commands) work on
// one simulated domain: the local computer and each domain with its
// controller, every account with all its fields, every group with its
// members, the SIDs, and the next relative id each database hands out.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "netapi/simulated/simulated_controller.h"

namespace corvane::netapi::simulated {

// A state document that cannot be read back: not JSON, a field missing or
// of the wrong type, or data the controller could not hold.
class StateFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A controller and the servers of the domains added to it, in the order
// they were added (the controller itself does not list them).
struct SimulatedNetwork {
  std::unique_ptr<SimulatedController> controller;
  std::vector<std::u16string> domain_servers;
};

// The demo domain, as the first command of a session finds it, with as
// many users as CORVANE_SIMULATED_USERS asks for when it is set.
SimulatedNetwork NewDemoNetwork();

// The document for `network`. Hands out one relative id in each database
// to learn the next one, so that ids stay unique across processes.
std::string SaveState(SimulatedNetwork& network);

// A network holding exactly what `document` describes.
SimulatedNetwork LoadState(std::string_view document);

}  // namespace corvane::netapi::simulated
