// A one-dimensional array of automation strings passed by reference, as a
// SAFEARRAY(BSTR) is: it has bounds, can be re-dimensioned with or without
// keeping its contents, and refuses re-dimensioning when it is fixed-size
// (declared with bounds by the client) or locked (in use by the client).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::automation {

class StringArray {
 public:
  // A dynamic array with no elements yet (bounds 0 to -1).
  StringArray() = default;
  // A fixed-size array, as a client's `Dim a(lower To upper)` makes one.
  static StringArray FixedSize(std::int32_t lower, std::int32_t upper);

  std::int32_t LowerBound() const { return lower_; }
  std::int32_t UpperBound() const {
    return lower_ + static_cast<std::int32_t>(elements_.size()) - 1;
  }
  std::size_t size() const { return elements_.size(); }
  bool fixed_size() const { return fixed_size_; }
  bool locked() const { return locks_ > 0; }

  // Out-of-range indexes raise DISP_E_BADINDEX.
  const std::u16string& at(std::int32_t index) const;
  void Set(std::int32_t index, std::u16string value);

  // Re-dimension to lower..upper, discarding the contents. Raises
  // E_INVALIDARG for a fixed-size array and DISP_E_ARRAYISLOCKED for a
  // locked one, before anything changes.
  void Redim(std::int32_t lower, std::int32_t upper);
  // Grow by one element at the upper end, keeping the contents: what
  // `ReDim Preserve a(lower To upper + 1)` does. Amortised constant time.
  void Append(std::u16string value);

  void Lock() { ++locks_; }
  void Unlock() {
    if (locks_ > 0) --locks_;
  }

  const std::vector<std::u16string>& elements() const { return elements_; }

 private:
  void CheckResizable() const;
  std::size_t Offset(std::int32_t index) const;

  std::int32_t lower_ = 0;
  std::vector<std::u16string> elements_;
  bool fixed_size_ = false;
  int locks_ = 0;
};

}  // namespace corvane::automation
