#include "common/result_text.h"

namespace corvane::common {

bool ContainsNul(std::u16string_view text) {
  return text.find(u'\0') != std::u16string_view::npos;
}

std::u16string Decimal(std::int64_t number) {
  const std::string text = std::to_string(number);
  return std::u16string(text.begin(), text.end());
}

std::u16string SignedDecimal(netapi::DWORD value) {
  return Decimal(static_cast<std::int32_t>(value));
}

std::u16string Precondition(std::u16string_view text) {
  return u"ERROR - " + std::u16string(text);
}

std::u16string FailedCall(std::u16string_view action,
                          netapi::NET_API_STATUS status) {
  return u"ERROR - " + std::u16string(action) + u" (error #" +
         SignedDecimal(status) + u")";
}

std::u16string FailedAdd(netapi::NET_API_STATUS status, netapi::DWORD parm_err,
                         std::u16string_view kind, std::u16string_view name) {
  return u"ERROR " + SignedDecimal(status) + u" in parameter " +
         SignedDecimal(parm_err) + u" when adding " + std::u16string(kind) +
         u" " + std::u16string(name);
}

std::u16string FailedEnumeration(netapi::NET_API_STATUS status,
                                 netapi::DWORD entries_read,
                                 netapi::DWORD total_entries,
                                 std::u16string_view kind) {
  return u"ERROR " + SignedDecimal(status) + u" enumerating " +
         std::u16string(kind) + u" " + SignedDecimal(entries_read) + u" of " +
         SignedDecimal(total_entries);
}

}  // namespace corvane::common
