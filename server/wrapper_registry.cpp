#include "server/wrapper_registry.h"

#include <vector>

#include "contract/contract.h"
#include "server/domain_object.h"
#include "server/group_object.h"
#include "server/user_object.h"

namespace corvane::server {

WrapperRegistry::~WrapperRegistry() {
  std::vector<ComPtr<IDispatch>> remaining;
  for (const auto& [object, wrapper] : live_) remaining.emplace_back(wrapper);
  for (const auto& wrapper : remaining) CoDisconnectObject(wrapper.get(), 0);
}

ComPtr<IDispatch> WrapperRegistry::Wrap(const automation::ObjectRef& object) {
  if (!object) return {};
  if (const auto found = live_.find(object.get()); found != live_.end()) {
    return ComPtr<IDispatch>(found->second);
  }
  const contract::Interface* contract = &object->Contract();
  IDispatch* created = nullptr;
  if (contract == &contract::kNTDomainInterface) {
    created = new DomainObject(object, *this);
  } else if (contract == &contract::kNTGroupInterface) {
    created = new GroupObject(object, *this);
  } else if (contract == &contract::kNTUserInterface) {
    created = new UserObject(object, *this);
  } else {
    throw automation::AutomationError(E_NOINTERFACE);
  }
  auto wrapper = ComPtr<IDispatch>::Adopt(created);
  live_.emplace(object.get(), created);
  return wrapper;
}

void WrapperRegistry::Forget(const automation::Dispatchable* object) {
  live_.erase(object);
}

}  // namespace corvane::server
