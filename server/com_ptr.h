// Owns one counted reference to a COM interface.
#pragma once

#include <utility>

namespace corvane::server {

template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes a new reference to `pointer`.
  explicit ComPtr(Interface* pointer) : pointer_(pointer) {
    if (pointer_) pointer_->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.pointer_) {}
  ComPtr(ComPtr&& other) noexcept
      : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(pointer_, other.pointer_);
    return *this;
  }
  ~ComPtr() {
    if (pointer_) pointer_->Release();
  }

  // Takes over a reference the caller already owns.
  static ComPtr Adopt(Interface* pointer) {
    ComPtr owner;
    owner.pointer_ = pointer;
    return owner;
  }

  Interface* get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // For out-parameters: drops the current reference and receives a new one.
  Interface** Receive() {
    *this = ComPtr();
    return &pointer_;
  }
  // Hands the reference to the caller.
  Interface* Detach() { return std::exchange(pointer_, nullptr); }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace corvane::server
