#include "tasks/account_export.h"

#include <map>
#include <vector>

#include "automation/late_bound.h"
#include "automation/text.h"
#include "tasks/listings.h"

namespace corvane::tasks {
namespace {

using automation::AsciiLower;
using automation::GetFlag;
using automation::GetText;
using automation::IsSuccess;

std::u16string Wide(std::string_view utf8) {
  return automation::FromUtf8(utf8).value_or(u"");
}

}  // namespace

ExportResult ExportAccounts(const automation::ObjectRef& domain,
                            netapi::Api& api,
                            const std::function<void(AccountRow row)>& each) {
  const automation::ObjectRef users = automation::GetObject(domain, u"Users");
  const std::u16string server = Wide(GetText(domain, u"sDC"));
  const CollectedNames accounts =
      CollectNames(api, UserBatches(api, server), u"user");
  if (!IsSuccess(accounts.result)) return {accounts.result, ""};

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

  for (const std::string& name : accounts.names) {
    automation::PutValue(users, u"sUserName", Wide(name));
    if (const std::string result = automation::LastError(users);
        !IsSuccess(result)) {
      return {result, "user " + name};
    }
    AccountRow row;
    row.name = name;
    row.full_name = GetText(users, u"sFullName");
    row.comment = GetText(users, u"sComment");
    row.home_dir = GetText(users, u"sHomeDir");
    row.script = GetText(users, u"sScriptPath");
    row.disabled = GetFlag(users, u"bDisabled");
    row.groups = std::move(groups_of[AsciiLower(name)]);
    each(std::move(row));
  }
  return {"SUCCESS", ""};
}

}  // namespace corvane::tasks
