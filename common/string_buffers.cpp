#include "common/string_buffers.h"

#include <algorithm>
#include <cstring>

namespace corvane::common {

RecordString::RecordString(netapi::Api& api, std::u16string_view text)
    : api_(api) {
  bytes_ = (text.size() + 1) * sizeof(netapi::WCHAR);
  void* block = nullptr;
  status_ =
      api_.NetApiBufferAllocate(static_cast<netapi::DWORD>(bytes_), &block);
  if (status_ != netapi::NERR_Success) return;
  block_ = static_cast<netapi::LPWSTR>(block);
  std::copy(text.begin(), text.end(), block_);
  block_[text.size()] = u'\0';
}

RecordString::~RecordString() {
  if (!block_) return;
  if (wipe_) {
    // volatile keeps the compiler from dropping a store to a dying block.
    volatile unsigned char* bytes = reinterpret_cast<unsigned char*>(block_);
    for (std::size_t i = 0; i < bytes_; ++i) bytes[i] = 0;
  }
  api_.NetApiBufferFree(block_);
}

netapi::LPWSTR RecordStrings::Add(std::u16string_view text) {
  if (status_ != netapi::NERR_Success) return nullptr;
  const RecordString& block = blocks_.emplace_back(api_, text);
  status_ = block.status();
  return block.get();
}

netapi::LPWSTR RecordStrings::AddSecret(std::u16string_view text) {
  netapi::LPWSTR block = Add(text);
  if (block) blocks_.back().WipeOnRelease();
  return block;
}

AllocatedBlock::AllocatedBlock(netapi::Api& api, netapi::DWORD bytes)
    : api_(api) {
  status_ = api_.NetApiBufferAllocate(bytes, &block_);
  if (status_ != netapi::NERR_Success) block_ = nullptr;
}

AllocatedBlock::~AllocatedBlock() {
  if (block_) api_.NetApiBufferFree(block_);
}

ReturnedBuffer::~ReturnedBuffer() {
  if (block_) api_.NetApiBufferFree(block_);
}

std::u16string ReadString(netapi::LPCWSTR text) {
  if (!text) return {};
  return std::u16string(text);
}

}  // namespace corvane::common
