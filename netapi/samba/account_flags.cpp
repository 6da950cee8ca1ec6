#include "netapi/samba/account_flags.h"

#include <array>

namespace corvane::netapi::samba {
namespace {

struct FlagPair {
  DWORD uf;
  DWORD acb;
};

// UF_ bit, ACB_ bit. UF_SCRIPT and UF_PASSWD_CANT_CHANGE have no
// account-control counterpart and are dropped. UF_LOCKOUT pairs with
// ACB_AUTOLOCK: writing it unset clears a lock-out, writing it set changes
// nothing.
constexpr std::array kFlagPairs{
    FlagPair{0x00000002, 0x00000001},  // ACCOUNTDISABLE / DISABLED
    FlagPair{0x00000008, 0x00000002},  // HOMEDIR_REQUIRED / HOMDIRREQ
    FlagPair{0x00000010, 0x00000400},  // LOCKOUT / AUTOLOCK
    FlagPair{0x00000020, 0x00000004},  // PASSWD_NOTREQD / PWNOTREQ
    FlagPair{0x00000080, 0x00000800},  // ENCRYPTED_TEXT_PASSWORD_ALLOWED
    FlagPair{0x00000100, 0x00000008},  // TEMP_DUPLICATE_ACCOUNT / TEMPDUP
    FlagPair{0x00000200, 0x00000010},  // NORMAL_ACCOUNT / NORMAL
    FlagPair{0x00000800, 0x00000040},  // INTERDOMAIN_TRUST / DOMTRUST
    FlagPair{0x00001000, 0x00000080},  // WORKSTATION_TRUST / WSTRUST
    FlagPair{0x00002000, 0x00000100},  // SERVER_TRUST / SVRTRUST
    FlagPair{0x00010000, 0x00000200},  // DONT_EXPIRE_PASSWD / PWNOEXP
    FlagPair{0x00020000, 0x00000020},  // MNS_LOGON_ACCOUNT / MNS
    FlagPair{0x00040000, 0x00001000},  // SMARTCARD_REQUIRED
    FlagPair{0x00080000, 0x00002000},  // TRUSTED_FOR_DELEGATION
    FlagPair{0x00100000, 0x00004000},  // NOT_DELEGATED
    FlagPair{0x00200000, 0x00008000},  // USE_DES_KEY_ONLY
    FlagPair{0x00400000, 0x00010000},  // DONT_REQUIRE_PREAUTH
    FlagPair{0x00800000, 0x00020000},  // PASSWORD_EXPIRED / PW_EXPIRED
    FlagPair{0x01000000, 0x00040000},  // TRUSTED_TO_AUTHENTICATE_FOR_DELEGATION
    FlagPair{0x02000000, 0x00080000},  // NO_AUTH_DATA_REQUIRED
};

}  // namespace

DWORD ToAccountControl(DWORD uf_flags) {
  DWORD acb = 0;
  for (const FlagPair& pair : kFlagPairs) {
    if (uf_flags & pair.uf) acb |= pair.acb;
  }
  return acb;
}

DWORD FromAccountControl(DWORD acb_flags) {
  DWORD uf = 0;
  for (const FlagPair& pair : kFlagPairs) {
    if (acb_flags & pair.acb) uf |= pair.uf;
  }
  return uf;
}

}  // namespace corvane::netapi::samba
