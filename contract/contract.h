// The component's contract as C++ data: the type library's identifiers and,
// for each interface, every member in function-table order with its name,
// kind, dispatch id, parameters and result. The late-bound dispatch layer
// resolves names and checks calls against these tables, and the COM server's
// type library is written from them (server/write_type_library.cpp).
// contract/corvane.idl is the same contract for people to read; a test keeps
// it member by member in step with these tables.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "contract/guid.h"

namespace corvane::contract {

using DispId = std::int32_t;

enum class Kind { kGet, kLet, kMethod };

enum class Type {
  kVoid,
  kString,       // BSTR
  kBoolean,      // VARIANT_BOOL
  kLogLevel,     // eLogLevel
  kPriv,         // ePriv
  kVariant,      // VARIANT
  kStringArray,  // SAFEARRAY(BSTR)
  kDomain,       // _NTDomain*
  kGroup,        // NTGroup*
  kUser,         // NTUser*
  kObject,       // IDispatch*
};

enum class Passing { kByValue, kByReference };

struct Param {
  std::string_view name;
  Type type;
  Passing passing;
  bool optional;
  // A password: carried as a secret from the caller to the platform call.
  bool secret = false;
};

struct Member {
  std::string_view name;
  Kind kind;
  DispId dispid;
  std::span<const Param> params;
  Type result;
  std::string_view help;
};

struct Interface {
  std::string_view name;
  contract::Guid iid;
  std::string_view help;
  bool hidden;
  std::span<const Member> members;
};

struct EnumConstant {
  std::string_view name;
  std::int32_t value;
  std::string_view help;
};

struct Enumeration {
  std::string_view name;
  contract::Guid uuid;
  std::span<const EnumConstant> constants;
};

struct Library {
  std::string_view name;
  contract::Guid libid;
  int major_version;
  int minor_version;
  int lcid;
  std::string_view help;
};

struct CreatableClass {
  std::string_view name;
  contract::Guid clsid;
  std::string_view prog_id;
  const Interface* default_interface;
};

// Classes that exist only as children of a domain; the factory refuses them.
struct ChildClass {
  std::string_view name;
  contract::Guid clsid;
};

// The component's own version: the start message reports major and minor,
// the version resource reads "2.06.0002".
inline constexpr int kComponentMajor = 2;
inline constexpr int kComponentMinor = 6;
inline constexpr int kComponentRevision = 2;

extern const Library kLibrary;
extern const Interface kNTDomainInterface;
extern const Interface kNTGroupInterface;
extern const Interface kNTUserInterface;
extern const CreatableClass kNTDomainClass;
extern const ChildClass kNTGroupClass;
extern const ChildClass kNTUserClass;
extern const Enumeration kLogLevelEnum;
extern const Enumeration kPrivEnum;

// Function-table slots, as indexes into each interface's members. The
// classes bind their members by these names; contract.cpp checks at compile
// time that each slot names the member it claims to.
namespace domain_slot {
enum : int {
  kLoggingGet,
  kLoggingLet,
  kLastErrorGet,
  kUsersGet,
  kGroupsGet,
  kDomainLet,
  kDomainGet,
  kDCGet,
  kCount
};
}

namespace group_slot {
enum : int {
  kCommentLet,
  kCommentGet,
  kLastErrorGet,
  kParentGet,
  kUsersGet,
  kGroupNameLet,
  kGroupNameGet,
  kDelete,
  kAdd,
  kEnumerate,
  kCount
};
}

namespace user_slot {
enum : int {
  kPrivilegeGet,
  kUnlockAccount,
  kLockedOutGet,
  kDisabledLet,
  kDisabledGet,
  kFullNameLet,
  kFullNameGet,
  kScriptPathLet,
  kScriptPathGet,
  kCommentLet,
  kCommentGet,
  kHomeDirLet,
  kHomeDirGet,
  kPasswordLet,
  kLastErrorGet,
  kParentGet,
  kUserNameLet,
  kUserNameGet,
  kSIDGet,
  kDelete,
  kAdd,
  kEnumerate,
  kCount
};
}

}  // namespace corvane::contract
