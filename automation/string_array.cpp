#include "automation/string_array.h"

#include "automation/error.h"

namespace corvane::automation {

inline constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000B);

StringArray StringArray::FixedSize(std::int32_t lower, std::int32_t upper) {
  StringArray array;
  array.Redim(lower, upper);
  array.fixed_size_ = true;
  return array;
}

const std::u16string& StringArray::at(std::int32_t index) const {
  return elements_[Offset(index)];
}

void StringArray::Set(std::int32_t index, std::u16string value) {
  elements_[Offset(index)] = std::move(value);
}

void StringArray::Redim(std::int32_t lower, std::int32_t upper) {
  CheckResizable();
  if (upper < lower - 1) throw AutomationError(E_INVALIDARG);
  lower_ = lower;
  elements_.assign(static_cast<std::size_t>(upper - lower + 1), {});
}

void StringArray::Append(std::u16string value) {
  CheckResizable();
  elements_.push_back(std::move(value));
}

void StringArray::CheckResizable() const {
  if (fixed_size_) throw AutomationError(E_INVALIDARG);
  if (locked()) throw AutomationError(DISP_E_ARRAYISLOCKED);
}

std::size_t StringArray::Offset(std::int32_t index) const {
  if (index < lower_ || index > UpperBound()) {
    throw AutomationError(DISP_E_BADINDEX);
  }
  return static_cast<std::size_t>(index - lower_);
}

}  // namespace corvane::automation
