#include "netapi/samba/samba_module.h"

#include "netapi/samba/samba_api.h"

namespace corvane::netapi::samba {
namespace {

std::unique_ptr<Api> Open(SambaConfig config) {
  return std::make_unique<SambaApi>(std::move(config));
}

ControllerLogons& Logons(Api& session) {
  return dynamic_cast<SambaApi&>(session).logons();
}

AccountSearch& Search(Api& session) { return dynamic_cast<SambaApi&>(session); }

constexpr SambaModule kModule{
    Open, ReadClientConf, LocateControllers, ProbeController, Logons, Search};

}  // namespace

extern "C" __attribute__((visibility("default"))) const SambaModule*
corvane_samba_module() {
  return &kModule;
}

}  // namespace corvane::netapi::samba
