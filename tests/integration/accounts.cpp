#include "tests/integration/accounts.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <regex>

namespace corvane::integration {

netapi::NET_API_STATUS AddUser(const std::u16string& name, netapi::DWORD flags,
                               const std::u16string& password,
                               netapi::DWORD* parm_err) {
  std::u16string home = u"\\\\server\\home", comment = u"test account",
                 script = u"logon.cmd";
  netapi::USER_INFO_1 record{};
  record.usri1_name = const_cast<char16_t*>(name.c_str());
  record.usri1_password = const_cast<char16_t*>(password.c_str());
  record.usri1_priv = netapi::USER_PRIV_USER;
  record.usri1_home_dir = home.data();
  record.usri1_comment = comment.data();
  record.usri1_flags = flags;
  record.usri1_script_path = script.data();
  netapi::DWORD ignored = 0;
  return TheApi().NetUserAdd(u"", 1, reinterpret_cast<netapi::LPBYTE>(&record),
                             parm_err != nullptr ? parm_err : &ignored);
}

bool LogonSucceeds(const std::string& user, const std::string& password) {
  const Controller& dc = TheController();
  const std::string auth = dc.dir + "/logon-" + user + ".auth";
  {
    std::ofstream out(auth);
    out << "username = " << user << "\npassword = " << password
        << "\ndomain = " << dc.domain << "\n";
  }
  const std::string command = "smbclient " + Quote("//" + dc.host + "/IPC$") +
                              " -s " + Quote(dc.client_conf) + " -A " +
                              Quote(auth) + " -c exit >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  std::remove(auth.c_str());
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void SetLockoutThreshold(int threshold) {
  Run("samba-tool domain passwordsettings set --account-lockout-threshold=" +
      std::to_string(threshold) + " -s " + Quote(TheController().smb_conf));
}

std::string ReportedSid(const std::string& kind, const std::string& name) {
  const std::string output =
      Run("samba-tool " + kind + " show " + Quote(name) +
          " --attributes=objectSid -s " + Quote(TheController().smb_conf));
  std::smatch match;
  if (!std::regex_search(output, match, std::regex("objectSid: (S-[0-9-]+)"))) {
    return "no objectSid in: " + output;
  }
  return match[1];
}

}  // namespace corvane::integration
