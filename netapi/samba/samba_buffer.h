// Owner of a buffer that libnetapi returned; released with Samba's own
// NetApiBufferFree as soon as its contents are copied out.
#pragma once

#include <cstdint>
#include <memory>

namespace corvane::netapi::samba {

struct SambaBufferDeleter {
  void operator()(std::uint8_t* buffer) const;
};

class SambaBuffer {
 public:
  // Receives the buffer: pass to libnetapi as its `uint8_t** buffer`.
  std::uint8_t** Out() {
    Adopt();
    buffer_.reset();
    return &raw_;
  }
  // Takes ownership of what the call left in Out().
  template <typename Record>
  const Record* As() {
    Adopt();
    return reinterpret_cast<const Record*>(buffer_.get());
  }
  void Adopt() {
    if (raw_ != nullptr) buffer_.reset(raw_);
    raw_ = nullptr;
  }
  ~SambaBuffer() { Adopt(); }

 private:
  std::uint8_t* raw_ = nullptr;
  std::unique_ptr<std::uint8_t, SambaBufferDeleter> buffer_;
};

}  // namespace corvane::netapi::samba
