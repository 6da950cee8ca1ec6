// Loads the Samba backend module (netapi/samba/samba_module.h) the first
// time a face needs it, so that starting a face does not pay for Samba's
// libraries. Each face knows where its module lies and passes the path.
#pragma once

#include <string>
#include <vector>

#include "netapi/samba/samba_module.h"

namespace corvane::netapi {

// The first of `candidates` that exists, else the last one (so that a
// failed load names the place it was expected at).
std::string FirstExistingPath(const std::vector<std::string>& candidates);

// The module at `path`, loaded once and kept for the life of the process;
// later calls return it whatever path they give. Throws std::runtime_error
// with a readable reason when it cannot be loaded.
const samba::SambaModule& LoadSambaModule(const std::string& path);

}  // namespace corvane::netapi
