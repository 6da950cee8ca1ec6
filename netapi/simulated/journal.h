// Every call the simulated controller receives, with its arguments as
// received: texts (a null address kept apart from an empty string) and
// numbers, under the platform's parameter and record-field names. Tests
// assert exactly what was sent, or that nothing was.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace corvane::netapi::simulated {

struct Call {
  std::string operation;
  std::map<std::string, std::optional<std::u16string>> texts;
  std::map<std::string, std::uint64_t> numbers;

  // The text sent under `key`; fails the lookup (throws) when absent or
  // sent as a null address.
  const std::u16string& Text(const std::string& key) const;
  bool IsNullText(const std::string& key) const;
  std::uint64_t Number(const std::string& key) const;
};

class Journal {
 public:
  Call& Record(std::string operation);
  const std::deque<Call>& calls() const { return calls_; }
  // The calls of one operation, in order.
  std::vector<Call> Of(const std::string& operation) const;
  std::size_t Count(const std::string& operation) const;
  void Clear() { calls_.clear(); }
  // Off, calls are not kept: a long run (a command, a benchmark) that no
  // test reads would otherwise grow the heap with every call and slow
  // every allocation after.
  void set_recording(bool recording) { recording_ = recording; }

 private:
  // A deque: a recorded call stays where it is, and a long run never
  // moves the whole journal to grow it.
  std::deque<Call> calls_;
  bool recording_ = true;
  Call unkept_;
};

}  // namespace corvane::netapi::simulated
