// A talloc context owned by C++ code: it is freed, with everything Samba
// allocated in it, when the owner goes.
#pragma once

#include <talloc.h>

#include <memory>

namespace corvane::netapi::samba {

struct TallocFree {
  void operator()(void* context) const { talloc_free(context); }
};
using TallocOwner = std::unique_ptr<void, TallocFree>;

inline TallocOwner NewTallocOwner() { return TallocOwner(talloc_new(nullptr)); }

}  // namespace corvane::netapi::samba
