// NTGroup: the global groups of the owning domain. One group at a time is
// selected (sGroupName); a selection reads the group's comment and gives
// the group a fresh NTUser whose owner is the group, through which the
// group's members are listed, added and removed. Add, Delete and Enumerate
// act on the domain's set of groups and leave the selection alone.
//
// Every platform call goes to the owning domain's sDC and every logging
// decision uses its eLogging, both read at the moment they are needed.
#pragma once

#include <memory>
#include <string>

#include "automation/dispatch.h"
#include "automation/string_array.h"
#include "common/environment.h"

namespace corvane {

class NTDomain;
class NTUser;

class NTGroup final : public automation::Dispatchable {
 public:
  explicit NTGroup(const common::Environment& env);
  ~NTGroup() override;
  NTGroup(const NTGroup&) = delete;
  NTGroup& operator=(const NTGroup&) = delete;

  // Component-internal: attaches the owning domain, replacing any earlier
  // owner. Not reachable by clients.
  void SetParent(const std::shared_ptr<NTDomain>& owner);

  void put_sComment(const std::u16string& comment);
  const std::u16string& get_sComment() const { return sComment_; }
  const std::u16string& get_sLastError() const { return sLastError_; }
  automation::ObjectRef get_oParent();
  // Null, with "ERROR - No group specified", when no group is selected.
  automation::ObjectRef get_Users();
  void put_sGroupName(const std::u16string& name);
  const std::u16string& get_sGroupName() const { return sGroupName_; }
  automation::VariantBool Delete(const automation::Variant& group_name);
  automation::VariantBool Add(const std::u16string& group_name,
                              const std::u16string& comment);
  void Enumerate(automation::StringArray& list);

  const contract::Interface& Contract() const override;
  automation::ObjectRef ClientReference() override;
  automation::Variant InvokeSlot(int slot,
                                 std::span<automation::Variant> args) override;

  // The owning domain, for the group's own user objects.
  std::shared_ptr<NTDomain> Domain() const;

 private:
  void Log(common::EventGate gate, const std::u16string& text) const;

  common::Environment env_;
  std::u16string sGroupName_;
  std::shared_ptr<NTUser> Users_;
  std::weak_ptr<NTDomain> oParent_;
  std::u16string sLastError_;
  std::u16string sComment_;
};

}  // namespace corvane
