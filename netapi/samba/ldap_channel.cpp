#include "netapi/samba/ldap_channel.h"

#include <utility>
#include <vector>

#include "netapi/samba/account_flags.h"

namespace corvane::netapi::samba {
namespace {

struct Page {
  const std::function<void(DirectoryUsers)>* receive;
  std::vector<corvane_rpc_user> users;
};

void ReceivePage(void* context, const corvane_ldap_user* users,
                 std::size_t count) {
  auto& page = *static_cast<Page*>(context);
  page.users.clear();
  page.users.reserve(count);
  for (const corvane_ldap_user& found : std::span(users, count)) {
    corvane_rpc_user user = found.user;
    user.acct_flags = ToAccountControl(found.account_control);
    page.users.push_back(user);
  }
  (*page.receive)(page.users);
}

}  // namespace

LdapChannel::LdapChannel(std::string host, loadparm_context* conf,
                         cli_credentials* credentials)
    : host_(std::move(host)), conf_(conf), credentials_(credentials) {}

NET_API_STATUS LdapChannel::Open() {
  if (ldap_ != nullptr) return NERR_Success;
  if (!owner_) owner_ = NewTallocOwner();
  if (!owner_) return ERROR_NOT_ENOUGH_MEMORY;
  std::uint32_t status = 0;
  ldap_ = corvane_ldap_connect(owner_.get(), host_.c_str(),
                               CORVANE_SAMBA_LDB_MODULES, conf_, credentials_,
                               &status);
  if (ldap_ == nullptr) return corvane_rpc_error_code(status);
  if (in_pages_) corvane_ldap_ask_in_pages(ldap_);
  return NERR_Success;
}

NET_API_STATUS LdapChannel::NextUsers(
    corvane_ldap_cursor& cursor, std::uint32_t query, DWORD page_size,
    const std::function<void(DirectoryUsers)>& receive) {
  if (const NET_API_STATUS status = Open()) return status;
  Page page{&receive, {}};
  return corvane_rpc_error_code(corvane_ldap_next_users(
      ldap_, &cursor, query, page_size, ReceivePage, &page));
}

NET_API_STATUS LdapChannel::NextLogons(
    corvane_ldap_cursor& cursor, DWORD page_size,
    const std::function<void(DirectoryUsers)>& receive) {
  if (const NET_API_STATUS status = Open()) return status;
  Page page{&receive, {}};
  return corvane_rpc_error_code(
      corvane_ldap_next_logons(ldap_, &cursor, page_size, ReceivePage, &page));
}

NET_API_STATUS LdapChannel::FindLogon(
    const std::string& name, const std::function<void(DirectoryUsers)>& found) {
  if (const NET_API_STATUS status = Open()) return status;
  Page page{&found, {}};
  return corvane_rpc_error_code(
      corvane_ldap_find_logon(ldap_, name.c_str(), ReceivePage, &page));
}

NET_API_STATUS LdapChannel::ListUsers(
    DWORD page_size, const std::function<bool(DirectoryUsers)>& page) {
  corvane_ldap_cursor cursor{};
  bool wanted = true;
  while (wanted && !cursor.complete) {
    if (const NET_API_STATUS status =
            NextUsers(cursor, 0, page_size,
                      [&](DirectoryUsers users) { wanted = page(users); })) {
      return status;
    }
  }
  return NERR_Success;
}

}  // namespace corvane::netapi::samba
