// NTUser: the user accounts of its owner, either a whole domain (the
// domain's Users) or one global group (a group's Users). One account at a
// time is selected (sUserName); selecting it reads its attributes once into
// a cache that the getters answer from, and the setters write one attribute
// to the controller and update the cache on success. Add, Delete and
// Enumerate act on the domain or on the group's membership, by owner.
//
// Every platform call goes to the owning domain's sDC and every logging
// decision uses its eLogging, both read at the moment they are needed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "automation/dispatch.h"
#include "automation/string_array.h"
#include "common/environment.h"
#include "netapi/types.h"

namespace corvane {

class NTDomain;
class NTGroup;

class NTUser final : public automation::Dispatchable {
 public:
  explicit NTUser(const common::Environment& env);
  NTUser(const NTUser&) = delete;
  NTUser& operator=(const NTUser&) = delete;

  // Component-internal: attaches the owner, a domain or a group. Any other
  // object raises DISP_E_TYPEMISMATCH. A group owner's domain is resolved
  // here, once.
  void SetParent(const automation::ObjectRef& owner);

  std::int32_t get_ePrivilege() const { return ePrivilege_; }
  void UnlockAccount();
  automation::VariantBool get_bLockedOut() const { return bLockedOut_; }
  void put_bDisabled(automation::VariantBool disabled);
  automation::VariantBool get_bDisabled() const { return bDisabled_; }
  void put_sFullName(const std::u16string& full_name);
  const std::u16string& get_sFullName() const { return sFullName_; }
  void put_sScriptPath(const std::u16string& script_path);
  const std::u16string& get_sScriptPath() const { return sScriptPath_; }
  void put_sComment(const std::u16string& comment);
  const std::u16string& get_sComment() const { return sComment_; }
  void put_sHomeDir(const std::u16string& home_dir);
  const std::u16string& get_sHomeDir() const { return sHomeDir_; }
  void put_sPassword(const automation::Secret& password);
  const std::u16string& get_sLastError() const { return sLastError_; }
  automation::ObjectRef get_oParent();
  void put_sUserName(const std::u16string& name);
  const std::u16string& get_sUserName() const { return sUserName_; }
  std::u16string get_sSID();
  automation::VariantBool Delete();
  // The optional variants are the caller's, by reference.
  automation::VariantBool Add(
      const std::u16string& name, automation::Variant& password,
      automation::Variant& home_dir, automation::Variant& comment,
      automation::Variant& script, automation::Variant& full_name,
      automation::Variant& privilege, automation::Variant& disabled);
  void Enumerate(automation::StringArray& list);

  const contract::Interface& Contract() const override;
  automation::ObjectRef ClientReference() override;
  automation::Variant InvokeSlot(int slot,
                                 std::span<automation::Variant> args) override;

 private:
  struct TextAttribute;

  std::shared_ptr<NTDomain> Domain() const;
  std::shared_ptr<NTGroup> Group() const;
  void Log(common::EventGate gate, const std::u16string& text) const;
  void ClearSelection();
  void SetTextAttribute(const TextAttribute& attribute,
                        std::u16string_view value);
  void ChangeFlag(netapi::DWORD bit, bool set, std::u16string_view action,
                  const std::u16string& event_text);
  automation::VariantBool AddToDomain(
      const std::u16string& name, const automation::Secret& password,
      const std::u16string& home_dir, const std::u16string& comment,
      const std::u16string& script, const std::u16string& full_name,
      std::int32_t privilege, automation::VariantBool disabled);
  automation::VariantBool AddToGroup(const std::u16string& name);
  automation::VariantBool DeleteFromDomain(const std::u16string& name);
  automation::VariantBool RemoveFromGroup(const std::u16string& name);

  common::Environment env_;
  std::u16string sUserName_;
  std::weak_ptr<automation::Dispatchable> oParent_;
  bool bParentIsDomain_ = false;
  std::weak_ptr<NTDomain> oDomain_;
  std::weak_ptr<NTGroup> oGroup_;
  std::u16string sLastError_;
  std::u16string sHomeDir_;
  std::u16string sComment_;
  std::u16string sScriptPath_;
  automation::VariantBool bDisabled_ = automation::VARIANT_FALSE;
  automation::VariantBool bLockedOut_ = automation::VARIANT_FALSE;
  std::int32_t ePrivilege_ = 0;
  std::u16string sFullName_;
  netapi::DWORD lFlags_ = 0;
};

}  // namespace corvane
