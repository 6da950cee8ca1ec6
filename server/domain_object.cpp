#include "server/domain_object.h"

#include "contract/contract.h"

namespace corvane::server {

namespace slot = contract::domain_slot;

DomainObject::DomainObject(automation::ObjectRef domain,
                           WrapperRegistry& registry)
    : DualObject(std::move(domain), registry, IID__NTDomain) {}

HRESULT DomainObject::get_eLogging(eLogLevel* ret) {
  return GetNumber(slot::kLoggingGet, ret);
}

HRESULT DomainObject::put_eLogging(eLogLevel* value) {
  if (!value) return E_POINTER;
  return Guarded(
      [&] { Run(slot::kLoggingLet, {static_cast<std::int32_t>(*value)}); });
}

HRESULT DomainObject::get_sLastError(BSTR* ret) {
  return GetText(slot::kLastErrorGet, ret);
}

HRESULT DomainObject::get_Users(::NTUser** ret) {
  return GetRelative(slot::kUsersGet, IID_NTUser, ret);
}

HRESULT DomainObject::get_Groups(::NTGroup** ret) {
  return GetRelative(slot::kGroupsGet, IID_NTGroup, ret);
}

HRESULT DomainObject::put_sDomain(BSTR value) {
  return PutText(slot::kDomainLet, value);
}

HRESULT DomainObject::get_sDomain(BSTR* ret) {
  return GetText(slot::kDomainGet, ret);
}

HRESULT DomainObject::get_sDC(BSTR* ret) { return GetText(slot::kDCGet, ret); }

}  // namespace corvane::server
