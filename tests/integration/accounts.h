// Creating and checking accounts on the test controller.
#pragma once

#include <string>

#include "tests/integration/dc_environment.h"

namespace corvane::integration {

inline constexpr char kPassword[] = "Corvane-Pa55word!";

// NetUserAdd at level 1, as the classes make it.
netapi::NET_API_STATUS AddUser(const std::u16string& name,
                               netapi::DWORD flags = 0x201,
                               const std::u16string& password = W(kPassword),
                               netapi::DWORD* parm_err = nullptr);

// Deletes the user when the scope ends; a user that is gone already is fine.
class ScopedUser {
 public:
  explicit ScopedUser(std::u16string name) : name_(std::move(name)) {}
  ~ScopedUser() { TheApi().NetUserDel(u"", name_.c_str()); }
  const std::u16string& name() const { return name_; }
  const char16_t* c_str() const { return name_.c_str(); }

 private:
  std::u16string name_;
};

// Whether `user` can log on with `password`: an SMB session to IPC$ through
// smbclient, the password in an authentication file.
bool LogonSucceeds(const std::string& user, const std::string& password);

// Failed logons after which the controller locks an account; 0: never.
void SetLockoutThreshold(int threshold);

// The S-1-... text of an account's objectSid as samba-tool reports it;
// `kind` is "user" or "group".
std::string ReportedSid(const std::string& kind, const std::string& name);

}  // namespace corvane::integration
