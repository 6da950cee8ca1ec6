#include "common/string_buffers.h"

#include <algorithm>

namespace corvane::common {

netapi::LPWSTR RecordStrings::Place(std::u16string_view text, bool secret) {
  if (status_ != netapi::NERR_Success) return nullptr;
  const auto bytes =
      static_cast<netapi::DWORD>((text.size() + 1) * sizeof(netapi::WCHAR));
  netapi::ApiBuffer block = netapi::AllocateApiBuffer(api_, bytes, status_);
  if (status_ != netapi::NERR_Success) return nullptr;
  auto* chars = reinterpret_cast<netapi::LPWSTR>(block.get());
  std::copy(text.begin(), text.end(), chars);
  chars[text.size()] = u'\0';
  if (secret) block.releaser().wipe_bytes = bytes;
  blocks_.push_back(std::move(block));
  return chars;
}

std::u16string ReadString(netapi::LPCWSTR text) {
  if (!text) return {};
  return std::u16string(text);
}

}  // namespace corvane::common
