#include "domain/class_factory.h"

#include "automation/error.h"
#include "automation/text.h"
#include "contract/contract.h"
#include "domain/nt_domain.h"

namespace corvane {
namespace {

bool Names(std::u16string_view name, std::string_view class_name,
           const contract::Guid& clsid) {
  return automation::EqualsIgnoringAsciiCase(
             name, "Corvane." + std::string(class_name)) ||
         clsid.Matches(automation::ToUtf8(name));
}

}  // namespace

automation::ObjectRef ClassFactory::CreateObject(
    std::u16string_view prog_id_or_clsid) const {
  const auto& domain = contract::kNTDomainClass;
  if (automation::EqualsIgnoringAsciiCase(prog_id_or_clsid, domain.prog_id) ||
      domain.clsid.Matches(automation::ToUtf8(prog_id_or_clsid))) {
    return NTDomain::Create(env_);
  }
  for (const auto* child :
       {&contract::kNTGroupClass, &contract::kNTUserClass}) {
    if (Names(prog_id_or_clsid, child->name, child->clsid)) {
      throw automation::AutomationError(automation::CLASS_E_CLASSNOTAVAILABLE);
    }
  }
  throw automation::AutomationError(automation::CO_E_CLASSSTRING);
}

}  // namespace corvane
