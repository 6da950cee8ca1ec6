// Our network-management records are passed to netapi32 as they are, so
// each must be the platform's <lmaccess.h> record byte for byte: same size,
// every field at the same offset with the same size. The fields are those
// of each level's description (netapi/record_fields.h), so a level added
// there is checked here.
#include <cstddef>

#include "netapi/record_fields.h"
#include "netapi/types.h"

// After our own header: the platform's macros (ERROR_MORE_DATA, UF_LOCKOUT,
// ...) would otherwise rewrite its declarations.
#include <windows.h>
// Needs <windows.h> first.
#include <lm.h>

namespace corvane::netapi {
namespace {

#define CORVANE_SAME_FIELD(record, field)                               \
  static_assert(offsetof(record, field) == offsetof(::record, field) && \
                    sizeof(record::field) == sizeof(::record::field),   \
                #record "::" #field " differs from the platform's");
#define CORVANE_SAME_SIZE(record)                   \
  static_assert(sizeof(record) == sizeof(::record), \
                #record " differs from the platform's");

CORVANE_ALL_RECORDS(CORVANE_SAME_SIZE)
CORVANE_ALL_LEVELS(CORVANE_SAME_FIELD, CORVANE_SAME_FIELD, CORVANE_SAME_FIELD,
                   CORVANE_SAME_FIELD)

#undef CORVANE_SAME_FIELD
#undef CORVANE_SAME_SIZE

// The platform's values of the constants netapi/types.h defines; the
// platform's macros hide our names here, so the numbers are spelled out.
static_assert(VER_PLATFORM_WIN32_NT == 2);
static_assert(ERROR_MORE_DATA == 234 && ERROR_INSUFFICIENT_BUFFER == 122);
static_assert(NERR_GroupNotFound == 2220 && NERR_UserNotFound == 2221);
static_assert(NERR_DCNotFound == 2453 && NERR_UserInGroup == 2236);
static_assert(FILTER_NORMAL_ACCOUNT == 0x0002);
static_assert(UF_ACCOUNTDISABLE == 0x0002 && UF_LOCKOUT == 0x0010);
static_assert(USER_PRIV_ADMIN == 2 && USER_PRIV_GUEST == 0);

}  // namespace
}  // namespace corvane::netapi
