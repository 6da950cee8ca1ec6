// Text that must not outlive its use: passwords, from where they are typed
// or received to the platform call that takes them. A secret wipes its
// characters when released, and whenever it moves them to a larger block,
// so no stale copy is left in freed memory. It cannot be copied by
// accident: copying is deleted, and Clone() says it out loud.
//
// In a Variant a secret travels as a shared, immutable reference
// (SecretRef): copying the variant copies the reference, never the text.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <utility>

namespace corvane::automation {

// Overwrites `bytes` bytes with zeros in a way the compiler keeps.
void WipeMemory(void* data, std::size_t bytes);

template <typename Char>
class BasicSecret {
 public:
  BasicSecret() = default;
  explicit BasicSecret(std::basic_string_view<Char> text) {
    Reserve(text.size());
    for (Char c : text) push_back(c);
  }
  ~BasicSecret() { Release(); }

  BasicSecret(BasicSecret&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  BasicSecret& operator=(BasicSecret&& other) noexcept {
    if (this != &other) {
      Release();
      data_ = std::exchange(other.data_, nullptr);
      size_ = std::exchange(other.size_, 0);
      capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
  }
  BasicSecret(const BasicSecret&) = delete;
  BasicSecret& operator=(const BasicSecret&) = delete;

  BasicSecret Clone() const { return BasicSecret(view()); }

  // Room for `count` characters; a reserve that fits the whole text
  // before it is appended means it never moves.
  void Reserve(std::size_t count) {
    if (count <= capacity_) return;
    std::unique_ptr<Char[]> larger(new Char[count + 1]());
    for (std::size_t i = 0; i < size_; ++i) larger[i] = data_[i];
    const std::size_t size = size_;
    Release();
    data_ = larger.release();
    size_ = size;
    capacity_ = count;
  }
  void push_back(Char c) {
    if (size_ == capacity_) Reserve(capacity_ < 16 ? 32 : capacity_ * 2);
    data_[size_++] = c;
    data_[size_] = Char{};
  }
  void pop_back() { data_[--size_] = Char{}; }
  Char back() const { return data_[size_ - 1]; }

  std::basic_string_view<Char> view() const { return {c_str(), size_}; }
  // Always NUL-terminated; an empty secret is "", never null.
  const Char* c_str() const {
    static constexpr Char kEmpty[1] = {};
    return data_ != nullptr ? data_ : kEmpty;
  }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  bool operator==(const BasicSecret& other) const {
    return view() == other.view();
  }

 private:
  void Release() {
    if (data_ == nullptr) return;
    WipeMemory(data_, (capacity_ + 1) * sizeof(Char));
    delete[] data_;
    data_ = nullptr;
    size_ = capacity_ = 0;
  }

  Char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

// A password as the automation layer and the platform take it (UTF-16), and
// as Samba's library takes it (UTF-8).
using Secret = BasicSecret<char16_t>;
using SecretUtf8 = BasicSecret<char>;
using SecretRef = std::shared_ptr<const Secret>;

inline SecretRef Share(Secret secret) {
  return std::make_shared<const Secret>(std::move(secret));
}

}  // namespace corvane::automation
