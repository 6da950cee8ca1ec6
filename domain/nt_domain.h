// NTDomain: the object a client creates, root of its object graph. It holds
// the domain to work on and its controller, the logging level every child
// consults, and the two children through which group and user work is done.
//
// Lifetime: the domain owns its children; a child refers back to its owner
// without owning it. A client's reference to a child also holds the owner
// (see Dispatchable::ClientReference), so releasing the client's last
// reference to the domain and to every child taken from it destroys the
// graph and writes the end message, while a child a client still holds
// keeps a usable owner.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "automation/dispatch.h"
#include "common/environment.h"

namespace corvane {

class NTGroup;
class NTUser;

class NTDomain final : public automation::Dispatchable {
 public:
  // Creation runs the platform check first: on a system that is not
  // Windows NT it raises 0x80040001, source "Corvane Initialize".
  static std::shared_ptr<NTDomain> Create(const common::Environment& env);
  ~NTDomain() override;
  NTDomain(const NTDomain&) = delete;
  NTDomain& operator=(const NTDomain&) = delete;

  std::int32_t get_eLogging() const { return eLogging_; }
  void put_eLogging(std::int32_t level) { eLogging_ = level; }
  const std::u16string& get_sLastError() const { return sLastError_; }
  automation::ObjectRef get_Users();
  automation::ObjectRef get_Groups();
  void put_sDomain(std::u16string domain);
  const std::u16string& get_sDomain() const { return sDomain_; }
  const std::u16string& get_sDC() const { return sDC_; }

  const contract::Interface& Contract() const override;
  automation::Variant InvokeSlot(int slot,
                                 std::span<automation::Variant> args) override;

  const common::Environment& environment() const { return env_; }

 private:
  explicit NTDomain(const common::Environment& env);
  void LocateDC();

  common::Environment env_;
  std::u16string sDC_;
  std::u16string sDomain_;
  std::shared_ptr<NTGroup> Groups_;
  std::shared_ptr<NTUser> Users_;
  std::u16string sLastError_;
  std::int32_t eLogging_ = 0;
};

}  // namespace corvane
