#include "tasks/account_export.h"

#include <map>
#include <vector>

#include "automation/late_bound.h"
#include "automation/text.h"
#include "tasks/listings.h"

namespace corvane::tasks {
namespace {

using automation::AsciiLower;
using automation::GetText;
using automation::IsSuccess;

std::u16string Wide(std::string_view utf8) {
  return automation::FromUtf8(utf8).value_or(u"");
}

}  // namespace

ExportResult ExportAccounts(const automation::ObjectRef& domain,
                            netapi::Api& api,
                            const std::function<void(AccountRow row)>& each) {
  const std::u16string server = Wide(GetText(domain, u"sDC"));
  // Every account with its facts from the level 3 listing: no account needs
  // a call of its own.
  std::vector<ListedAccount> accounts;
  const std::string listed = WalkAccounts(
      api, AccountBatches(api, server),
      [&](ListedAccount account) { accounts.push_back(std::move(account)); });
  if (!IsSuccess(listed)) return {listed, ""};

  // Each user's groups, from the members of every group.
  std::map<std::string, std::vector<std::string>> groups_of;
  const CollectedNames groups =
      CollectNames(api, GroupBatches(api, server), u"group");
  if (!IsSuccess(groups.result)) return {groups.result, "groups"};
  for (const std::string& group : groups.names) {
    const CollectedNames members =
        CollectNames(api, MemberBatches(api, server, Wide(group)), u"user");
    if (!IsSuccess(members.result)) {
      return {members.result, "group " + group};
    }
    for (const std::string& member : members.names) {
      groups_of[AsciiLower(member)].push_back(group);
    }
  }

  for (const ListedAccount& account : accounts) {
    AccountRow row;
    row.name = automation::ToUtf8(account.name);
    row.full_name = automation::ToUtf8(account.full_name);
    row.comment = automation::ToUtf8(account.comment);
    row.home_dir = automation::ToUtf8(account.home_dir);
    row.script = automation::ToUtf8(account.script_path);
    row.disabled = account.disabled;
    row.groups = std::move(groups_of[AsciiLower(row.name)]);
    row.must_change = account.must_change_password;
    row.expiry_given = true;
    row.expires = account.account_expires;
    row.last_logon = account.last_logon;
    each(std::move(row));
  }
  return {"SUCCESS", ""};
}

}  // namespace corvane::tasks
