// Creates the component's objects for clients, by programmatic identifier
// ("Corvane.NTDomain") or class identifier. NTDomain is the only creatable
// class: NTGroup and NTUser exist only as children of a domain, and asking
// for them fails with CLASS_E_CLASSNOTAVAILABLE.
#pragma once

#include <string_view>

#include "automation/variant.h"
#include "common/environment.h"

namespace corvane {

class ClassFactory {
 public:
  explicit ClassFactory(const common::Environment& env) : env_(env) {}

  // Raises CO_E_CLASSSTRING for a name no class has, and the domain's own
  // creation error when the platform check fails.
  automation::ObjectRef CreateObject(
      std::u16string_view prog_id_or_clsid) const;

 private:
  common::Environment env_;
};

}  // namespace corvane
