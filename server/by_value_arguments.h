// Scripts pass a variable (or an array element) to a by-reference parameter
// as a reference to their own variant, VT_BYREF | VT_VARIANT, which the type
// library's coercion refuses for a by-reference string or enumeration. For
// such parameters each by-reference argument is read into a by-value copy,
// which the type library then coerces as it does any value; the member
// reads the copy, so nothing is written back to the caller's variable.
#pragma once

#include <vector>

#include "server/windows_headers.h"

namespace corvane::server {

class ByValueArguments {
 public:
  // Reads the arguments of the member `id` called with `flags`, as `info`
  // declares it.
  ByValueArguments(ITypeInfo& info, DISPID id, WORD flags,
                   const DISPPARAMS* params);
  ~ByValueArguments();
  ByValueArguments(const ByValueArguments&) = delete;
  ByValueArguments& operator=(const ByValueArguments&) = delete;

  // The arguments to pass on: `params` itself when nothing was copied.
  DISPPARAMS* Apply(DISPPARAMS* params);

 private:
  std::vector<VARIANT> arguments_;
  std::vector<bool> copied_;
  DISPPARAMS adjusted_{};
};

}  // namespace corvane::server
