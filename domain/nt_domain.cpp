#include "domain/nt_domain.h"

#include "automation/error.h"
#include "common/result_text.h"
#include "common/string_buffers.h"
#include "group/nt_group.h"
#include "user/nt_user.h"

namespace corvane {
namespace {

using automation::Variant;
using common::Decimal;

constexpr automation::HRESULT kNotWindowsNT =
    static_cast<automation::HRESULT>(0x80040001);

std::u16string VersionText() {
  return Decimal(contract::kComponentMajor) + u"." +
         Decimal(contract::kComponentMinor);
}

}  // namespace

std::shared_ptr<NTDomain> NTDomain::Create(const common::Environment& env) {
  // Only the platform is tested, never the version: every NT passes.
  if (env.api.PlatformId() != netapi::VER_PLATFORM_WIN32_NT) {
    throw automation::AutomationError(
        kNotWindowsNT, u"Corvane Initialize",
        u"Corvane requires Windows NT 3.51 (Workstation or Server) or higher");
  }
  std::shared_ptr<NTDomain> domain(new NTDomain(env));
  domain->Groups_ = std::make_shared<NTGroup>(env);
  domain->Groups_->SetParent(domain);
  domain->Users_ = std::make_shared<NTUser>(env);
  domain->Users_->SetParent(domain);
  env.events.WriteInformation(
      u"NTDomain object version " + VersionText() + u" (thread #" +
      common::SignedDecimal(env.api.CurrentThreadId()) + u") initializing...");
  domain->eLogging_ = common::kLogAddDel;
  return domain;
}

NTDomain::NTDomain(const common::Environment& env) : env_(env) {}

NTDomain::~NTDomain() {
  Users_.reset();
  Groups_.reset();
  env_.events.WriteInformation(
      u"NTDomain object (thread #" +
      common::SignedDecimal(env_.api.CurrentThreadId()) + u") terminating...");
}

automation::ObjectRef NTDomain::get_Users() {
  return Users_->ClientReference();
}

automation::ObjectRef NTDomain::get_Groups() {
  return Groups_->ClientReference();
}

void NTDomain::put_sDomain(std::u16string domain) {
  sDomain_ = std::move(domain);
  LocateDC();
}

void NTDomain::LocateDC() {
  sLastError_ = common::kSuccess;
  // A name cut at an embedded NUL would locate another domain's controller.
  if (common::ContainsNul(sDomain_)) {
    sLastError_ = common::kTextContainsNul;
    sDC_.clear();
    return;
  }
  const common::ArgumentBuffer server(u"");  // the local computer looks it up
  const common::ArgumentBuffer domain(sDomain_);
  netapi::ApiBuffer controller(env_.api);
  const netapi::NET_API_STATUS status = KeepIfSucceeded(
      controller,
      env_.api.NetGetDCName(server.get(), domain.get(), controller.put()));
  if (status != netapi::NERR_Success) {
    sLastError_ =
        common::FailedCall(u"Unable to locate domain controller", status);
    sDC_.clear();
    return;
  }
  sDC_ = common::ReadString(controller.As<netapi::WCHAR>());
}

const contract::Interface& NTDomain::Contract() const {
  return contract::kNTDomainInterface;
}

Variant NTDomain::InvokeSlot(int slot, std::span<Variant> args) {
  namespace s = contract::domain_slot;
  switch (slot) {
    case s::kLoggingGet:
      return get_eLogging();
    case s::kLoggingLet:
      put_eLogging(args[0].As<std::int32_t>());
      return {};
    case s::kLastErrorGet:
      return get_sLastError();
    case s::kUsersGet:
      return get_Users();
    case s::kGroupsGet:
      return get_Groups();
    case s::kDomainLet:
      put_sDomain(args[0].As<std::u16string>());
      return {};
    case s::kDomainGet:
      return get_sDomain();
    case s::kDCGet:
      return get_sDC();
  }
  throw automation::AutomationError(automation::DISP_E_MEMBERNOTFOUND);
}

}  // namespace corvane
