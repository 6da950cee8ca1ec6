// The domain controller the integration suite runs against, as
// tests/dc/with-dc.sh describes it in the environment, and the one Samba
// backend of the test process (libnetapi allows one per process).
#pragma once

#include <memory>
#include <string>

#include "netapi/api_buffer.h"
#include "netapi/samba/samba_api.h"
#include "netapi/types.h"

namespace corvane::integration {

struct Controller {
  std::string host;         // 127.0.0.2
  std::string name;         // NetBIOS name, DC1
  std::string realm;        // CORVANE.TEST
  std::string domain;       // CORVANE
  std::string auth_file;    // administrator's authentication file
  std::string client_conf;  // smb.conf for smbclient
  std::string smb_conf;     // the controller's own smb.conf (samba-tool)
  std::string dir;          // the controller's temporary directory
};

const Controller& TheController();
netapi::SambaApi& TheApi();

// Runs a shell command; its standard output, or the failure as a test
// failure. Arguments are quoted by the caller with Quote().
std::string Run(const std::string& command);
std::string Quote(const std::string& text);

// A name no earlier run has used (the controller may be reused).
std::string UniqueName(const std::string& prefix);

std::u16string W(const std::string& utf8);
std::string Narrow(const netapi::WCHAR* text);

}  // namespace corvane::integration
