// An automation error as a client sees it: the HRESULT, and for errors the
// component raises itself, a source and a description (the error-info a COM
// client reads as Err.Number, Err.Source and Err.Description).
#pragma once

#include <stdexcept>
#include <string>

#include "automation/hresult.h"

namespace corvane::automation {

class AutomationError : public std::runtime_error {
 public:
  explicit AutomationError(HRESULT hresult, std::u16string source = {},
                           std::u16string description = {});

  HRESULT hresult() const { return hresult_; }
  const std::u16string& source() const { return source_; }
  const std::u16string& description() const { return description_; }

 private:
  HRESULT hresult_;
  std::u16string source_;
  std::u16string description_;
};

}  // namespace corvane::automation
