#include "netapi/simulated/journal.h"

#include <algorithm>
#include <stdexcept>

namespace corvane::netapi::simulated {

const std::u16string& Call::Text(const std::string& key) const {
  const auto& value = texts.at(key);
  if (!value) throw std::out_of_range(key + " was sent as a null address");
  return *value;
}

bool Call::IsNullText(const std::string& key) const {
  return !texts.at(key).has_value();
}

std::uint64_t Call::Number(const std::string& key) const {
  return numbers.at(key);
}

Call& Journal::Record(std::string operation) {
  if (!recording_) {
    unkept_ = Call{std::move(operation), {}, {}};
    return unkept_;
  }
  calls_.push_back(Call{std::move(operation), {}, {}});
  return calls_.back();
}

std::vector<Call> Journal::Of(const std::string& operation) const {
  std::vector<Call> found;
  std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(found),
               [&](const Call& call) { return call.operation == operation; });
  return found;
}

std::size_t Journal::Count(const std::string& operation) const {
  return static_cast<std::size_t>(std::count_if(
      calls_.begin(), calls_.end(),
      [&](const Call& call) { return call.operation == operation; }));
}

}  // namespace corvane::netapi::simulated
