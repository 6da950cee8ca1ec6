// The settings of a client smb.conf that name the domain and its
// controller, read through Samba's own configuration library.
#pragma once

#include <string>

namespace corvane::netapi::samba {

struct ClientConfSettings {
  std::string workgroup;
  std::string realm;
  std::string server;  // "password server", when it names one controller
};

// Throws std::runtime_error when the file cannot be loaded.
ClientConfSettings ReadClientConf(const std::string& path);

}  // namespace corvane::netapi::samba
