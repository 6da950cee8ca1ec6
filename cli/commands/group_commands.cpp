#include "cli/commands/group_commands.h"

#include "cli/exit_status.h"
#include "cli/report/streamed_names.h"
#include "common/string_buffers.h"
#include "tasks/account_changes.h"

namespace corvane::cli {
namespace {

class GroupTask {
 public:
  GroupTask(const Request& request, const ObjectRef& domain, netapi::Api& api,
            Report& report, const tasks::ChangeEvents& events)
      : request_(request),
        events_(events),
        domain_(domain),
        api_(api),
        server_(Wide(GetText(domain, u"sDC"))),
        groups_(GetObject(domain, u"Groups")),
        report_(report),
        context_("group " + request.name) {}

  int Run() {
    switch (request_.command) {
      case Command::kGroupList:
        return List();
      case Command::kGroupAdd:
        return Add();
      case Command::kGroupDelete:
        return Delete();
      case Command::kGroupRename:
        return Rename();
      default:
        break;
    }
    if (const int status = Select(); status != kExitSuccess) return status;
    switch (request_.command) {
      case Command::kGroupShow:
        return Show();
      case Command::kGroupSet:
        PutValue(groups_, u"sComment", Wide(request_.comment.value_or("")));
        return Done(groups_);
      case Command::kGroupMembers:
        return Members();
      case Command::kGroupAddMember:
        return AddMember();
      case Command::kGroupRemoveMember:
        return RemoveMember();
      default:
        throw UsageError("not a group command");
    }
  }

 private:
  int List() {
    const std::string result = ShowNames(
        api_, tasks::GroupBatches(api_, server_), report_, "groups", u"group");
    return report_.Finish("group list", result);
  }

  int Rename() {
    const std::string result = tasks::RenameGroup(
        api_, server_, Wide(request_.name), Wide(request_.new_name), events_);
    report_.Data("group", request_.name);
    report_.Data("newName", request_.new_name);
    return report_.Finish(context_, result);
  }

  int Select() {
    PutValue(groups_, u"sGroupName", Wide(request_.name));
    return report_.Finish(context_, LastError(groups_));
  }

  int Done(const ObjectRef& object) {
    report_.Data("group", request_.name);
    return report_.Finish(context_, LastError(object));
  }

  // A false result under "SUCCESS" is still a failure.
  int Checked(bool done, const ObjectRef& object, const std::string& what) {
    if (!done && IsSuccess(LastError(object))) {
      report_.Data("group", request_.name);
      return report_.Fail(context_, what);
    }
    return Done(object);
  }

  int Show() {
    report_.Field("name", "name", GetText(groups_, u"sGroupName"));
    report_.Field("comment", "comment", GetText(groups_, u"sComment"));
    return report_.Finish(context_, LastError(groups_));
  }

  int Add() {
    const bool added =
        CallTest(groups_, u"Add",
                 {Wide(request_.name), Wide(request_.comment.value_or(""))});
    return Checked(added, groups_, "the group was not created");
  }

  int Delete() {
    const bool deleted = CallTest(groups_, u"Delete", {Wide(request_.name)});
    return Checked(deleted, groups_, "the group was not deleted");
  }

  ObjectRef GroupUsers() {
    ObjectRef users = GetObject(groups_, u"Users");
    if (!users) throw UsageError("no group selected");
    return users;
  }

  int Members() {
    const std::string result = ShowNames(
        api_, tasks::MemberBatches(api_, server_, Wide(request_.name)), report_,
        "members", u"user");
    report_.Data("group", request_.name);
    return report_.Finish(context_, result);
  }

  int AddMember() {
    const ObjectRef users = GroupUsers();
    const bool added = CallTest(users, u"Add", {Wide(request_.member)});
    report_.Data("user", request_.member);
    return Checked(added, users, "user " + request_.member + " was not added");
  }

  int RemoveMember() {
    const ObjectRef users = GroupUsers();
    report_.Data("user", request_.member);
    PutValue(users, u"sUserName", Wide(request_.member));
    if (const std::string result = LastError(users); !IsSuccess(result)) {
      return report_.Finish(context_, result);
    }
    const bool removed = CallTest(users, u"Delete");
    return Checked(removed, users,
                   "user " + request_.member + " was not removed");
  }

  const Request& request_;
  const tasks::ChangeEvents& events_;
  ObjectRef domain_;
  netapi::Api& api_;
  std::u16string server_;  // the controller, as selected at the start
  ObjectRef groups_;
  Report& report_;
  std::string context_;
};

}  // namespace

int RunGroupCommand(const Request& request, const ObjectRef& domain,
                    netapi::Api& api, Report& report,
                    const tasks::ChangeEvents& events) {
  return GroupTask(request, domain, api, report, events).Run();
}

}  // namespace corvane::cli
