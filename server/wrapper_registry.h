// COM identity: each portable object is shown to clients by one COM object
// for as long as any client holds it, so reading Groups twice gives the
// same IDispatch. The registry maps live portable objects to their COM
// objects; a COM object leaves the map when its last reference goes.
#pragma once

#include <unordered_map>

#include "server/com_ptr.h"
#include "server/server_lifetime.h"
#include "server/type_library.h"
#include "server/windows_headers.h"

namespace corvane::server {

class WrapperRegistry {
 public:
  WrapperRegistry(const TypeLibrary& library, ServerLifetime& lifetime)
      : library_(library), lifetime_(lifetime) {}
  // Disconnects the clients of objects still alive (a server told to quit).
  ~WrapperRegistry();
  WrapperRegistry(const WrapperRegistry&) = delete;
  WrapperRegistry& operator=(const WrapperRegistry&) = delete;

  // The COM object for `object` (a client reference: it keeps what the
  // object needs alive); null for a null object.
  ComPtr<IDispatch> Wrap(const automation::ObjectRef& object);

  // Called by a COM object as it is destroyed.
  void Forget(const automation::Dispatchable* object);

  const TypeLibrary& library() const { return library_; }
  ServerLifetime& lifetime() { return lifetime_; }

 private:
  const TypeLibrary& library_;
  ServerLifetime& lifetime_;
  std::unordered_map<const automation::Dispatchable*, IDispatch*> live_;
};

}  // namespace corvane::server
