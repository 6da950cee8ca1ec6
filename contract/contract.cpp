#include "contract/contract.h"

namespace corvane::contract {
namespace {

constexpr std::string_view kLastErrorHelp =
    "The results of the last action.  Will hold \"SUCCESS\" or a description "
    "of the error that occurred.";

constexpr Kind G = Kind::kGet;
constexpr Kind L = Kind::kLet;
constexpr Kind M = Kind::kMethod;
constexpr Passing kVal = Passing::kByValue;
constexpr Passing kRef = Passing::kByReference;

constexpr Param kLogLevelByRef[] = {{"value", Type::kLogLevel, kRef, false}};
constexpr Param kStringByVal[] = {{"value", Type::kString, kVal, false}};
constexpr Param kPasswordByVal[] = {
    {"value", Type::kString, kVal, false, true}};
constexpr Param kStringByRef[] = {{"value", Type::kString, kRef, false}};
constexpr Param kBooleanByVal[] = {{"value", Type::kBoolean, kVal, false}};
constexpr Param kGroupDelete[] = {{"sGroupName", Type::kVariant, kRef, false}};
constexpr Param kGroupAdd[] = {{"sGroupName", Type::kString, kRef, false},
                               {"sComment", Type::kString, kRef, false}};
constexpr Param kTheList[] = {{"TheList", Type::kStringArray, kRef, false}};
constexpr Param kUserAdd[] = {
    {"sUName", Type::kString, kRef, false},
    {"sPWD", Type::kVariant, kRef, true, true},
    {"sHomeDir", Type::kVariant, kRef, true},
    {"sComment", Type::kVariant, kRef, true},
    {"sScript", Type::kVariant, kRef, true},
    {"sFName", Type::kVariant, kRef, true},
    {"ePrivLevel", Type::kVariant, kRef, true},
    {"bDis", Type::kVariant, kRef, true},
};

constexpr Member kDomainMembers[] = {
    {"eLogging", G, 0x68030005, {}, Type::kLogLevel, ""},
    {"eLogging", L, 0x68030005, kLogLevelByRef, Type::kVoid, ""},
    {"sLastError", G, 0x68030004, {}, Type::kString, kLastErrorHelp},
    {"Users",
     G,
     0x68030003,
     {},
     Type::kUser,
     "The user account belonging to the domain specified in sDomain."},
    {"Groups",
     G,
     0x68030002,
     {},
     Type::kGroup,
     "The global groups belonging to the domain specified in sDomain."},
    {"sDomain", L, 0x68030001, kStringByVal, Type::kVoid,
     "The name of the domain to manipulate."},
    {"sDomain",
     G,
     0x68030001,
     {},
     Type::kString,
     "The name of the domain to manipulate."},
    {"sDC",
     G,
     0x68030000,
     {},
     Type::kString,
     "The domain controller for the domain specified by sDomain."},
};

constexpr Member kGroupMembers[] = {
    {"sComment", L, 0x68030004, kStringByVal, Type::kVoid,
     "The description for the group specified in sGroupName."},
    {"sComment",
     G,
     0x68030004,
     {},
     Type::kString,
     "The description for the group specified in sGroupName."},
    {"sLastError", G, 0x68030003, {}, Type::kString, kLastErrorHelp},
    {"oParent",
     G,
     0x68030002,
     {},
     Type::kDomain,
     "The NTDomain object that owns this instance."},
    {"Users",
     G,
     0x68030001,
     {},
     Type::kUser,
     "The users for the group specified in sGroupName."},
    {"sGroupName", L, 0x68030000, kStringByVal, Type::kVoid,
     "The name of the group specified in sGroupName."},
    {"sGroupName",
     G,
     0x68030000,
     {},
     Type::kString,
     "The name of the group specified in sGroupName."},
    {"Delete", M, 0x60030005, kGroupDelete, Type::kBoolean,
     "Removes a global group from the domain."},
    {"Add", M, 0x60030006, kGroupAdd, Type::kBoolean,
     "Adds a global group to the domain."},
    {"Enumerate", M, 0x60030007, kTheList, Type::kVoid,
     "List all groups in the domain."},
};

constexpr Member kUserMembers[] = {
    {"ePrivilege",
     G,
     0x6803000B,
     {},
     Type::kPriv,
     "The privilege level of the user specified in sUserName."},
    {"UnlockAccount",
     M,
     0x6003000C,
     {},
     Type::kVoid,
     "Whether the account is locked out."},
    {"bLockedOut", G, 0x6803000A, {}, Type::kBoolean, ""},
    {"bDisabled", L, 0x68030009, kBooleanByVal, Type::kVoid,
     "Whether the account is disabled."},
    {"bDisabled",
     G,
     0x68030009,
     {},
     Type::kBoolean,
     "Whether the account is disabled."},
    {"sFullName", L, 0x68030008, kStringByRef, Type::kVoid,
     "The full name of the user specified in sUserName."},
    {"sFullName",
     G,
     0x68030008,
     {},
     Type::kString,
     "The full name of the user specified in sUserName."},
    {"sScriptPath", L, 0x68030007, kStringByVal, Type::kVoid,
     "The logon script for the user specified in sUserName."},
    {"sScriptPath",
     G,
     0x68030007,
     {},
     Type::kString,
     "The logon script for the user specified in sUserName."},
    {"sComment", L, 0x68030006, kStringByVal, Type::kVoid,
     "A description of the user specified in sUserName."},
    {"sComment",
     G,
     0x68030006,
     {},
     Type::kString,
     "A description of the user specified in sUserName."},
    {"sHomeDir", L, 0x68030005, kStringByVal, Type::kVoid,
     "The home directory of the user specified in sUserName."},
    {"sHomeDir",
     G,
     0x68030005,
     {},
     Type::kString,
     "The home directory of the user specified in sUserName."},
    {"sPassword", L, 0x68030004, kPasswordByVal, Type::kVoid,
     "Sets the password for the user specified in sUserName."},
    {"sLastError", G, 0x68030003, {}, Type::kString, kLastErrorHelp},
    {"oParent",
     G,
     0x68030002,
     {},
     Type::kObject,
     "The object that owns this instance (either NTDomain or NTGroup)."},
    {"sUserName", L, 0x68030001, kStringByVal, Type::kVoid,
     "The name of the user to manipulate."},
    {"sUserName",
     G,
     0x68030001,
     {},
     Type::kString,
     "The name of the user to manipulate."},
    {"sSID",
     G,
     0x68030000,
     {},
     Type::kString,
     "The SID for the user specified in sUserName."},
    {"Delete",
     M,
     0x60030011,
     {},
     Type::kBoolean,
     "Removes a user from the parent (either a domain or group)."},
    {"Add", M, 0x60030012, kUserAdd, Type::kBoolean,
     "Adds a user to the parent (either a domain or group). Optional "
     "parameters must be specified if adding a user to the domain."},
    {"Enumerate", M, 0x60030013, kTheList, Type::kVoid,
     "Lists all users in the parent (either a domain or group)."},
};

constexpr bool SlotIs(const Member& member, std::string_view name, Kind kind) {
  return member.name == name && member.kind == kind;
}

static_assert(std::size(kDomainMembers) == domain_slot::kCount);
static_assert(SlotIs(kDomainMembers[domain_slot::kLoggingGet], "eLogging", G));
static_assert(SlotIs(kDomainMembers[domain_slot::kLoggingLet], "eLogging", L));
static_assert(SlotIs(kDomainMembers[domain_slot::kLastErrorGet], "sLastError",
                     G));
static_assert(SlotIs(kDomainMembers[domain_slot::kUsersGet], "Users", G));
static_assert(SlotIs(kDomainMembers[domain_slot::kGroupsGet], "Groups", G));
static_assert(SlotIs(kDomainMembers[domain_slot::kDomainLet], "sDomain", L));
static_assert(SlotIs(kDomainMembers[domain_slot::kDomainGet], "sDomain", G));
static_assert(SlotIs(kDomainMembers[domain_slot::kDCGet], "sDC", G));

static_assert(std::size(kGroupMembers) == group_slot::kCount);
static_assert(SlotIs(kGroupMembers[group_slot::kCommentLet], "sComment", L));
static_assert(SlotIs(kGroupMembers[group_slot::kCommentGet], "sComment", G));
static_assert(SlotIs(kGroupMembers[group_slot::kLastErrorGet], "sLastError",
                     G));
static_assert(SlotIs(kGroupMembers[group_slot::kParentGet], "oParent", G));
static_assert(SlotIs(kGroupMembers[group_slot::kUsersGet], "Users", G));
static_assert(SlotIs(kGroupMembers[group_slot::kGroupNameLet], "sGroupName",
                     L));
static_assert(SlotIs(kGroupMembers[group_slot::kGroupNameGet], "sGroupName",
                     G));
static_assert(SlotIs(kGroupMembers[group_slot::kDelete], "Delete", M));
static_assert(SlotIs(kGroupMembers[group_slot::kAdd], "Add", M));
static_assert(SlotIs(kGroupMembers[group_slot::kEnumerate], "Enumerate", M));

static_assert(std::size(kUserMembers) == user_slot::kCount);
static_assert(SlotIs(kUserMembers[user_slot::kPrivilegeGet], "ePrivilege", G));
static_assert(SlotIs(kUserMembers[user_slot::kUnlockAccount], "UnlockAccount",
                     M));
static_assert(SlotIs(kUserMembers[user_slot::kLockedOutGet], "bLockedOut", G));
static_assert(SlotIs(kUserMembers[user_slot::kDisabledLet], "bDisabled", L));
static_assert(SlotIs(kUserMembers[user_slot::kDisabledGet], "bDisabled", G));
static_assert(SlotIs(kUserMembers[user_slot::kFullNameLet], "sFullName", L));
static_assert(SlotIs(kUserMembers[user_slot::kFullNameGet], "sFullName", G));
static_assert(SlotIs(kUserMembers[user_slot::kScriptPathLet], "sScriptPath",
                     L));
static_assert(SlotIs(kUserMembers[user_slot::kScriptPathGet], "sScriptPath",
                     G));
static_assert(SlotIs(kUserMembers[user_slot::kCommentLet], "sComment", L));
static_assert(SlotIs(kUserMembers[user_slot::kCommentGet], "sComment", G));
static_assert(SlotIs(kUserMembers[user_slot::kHomeDirLet], "sHomeDir", L));
static_assert(SlotIs(kUserMembers[user_slot::kHomeDirGet], "sHomeDir", G));
static_assert(SlotIs(kUserMembers[user_slot::kPasswordLet], "sPassword", L));
static_assert(SlotIs(kUserMembers[user_slot::kLastErrorGet], "sLastError", G));
static_assert(SlotIs(kUserMembers[user_slot::kParentGet], "oParent", G));
static_assert(SlotIs(kUserMembers[user_slot::kUserNameLet], "sUserName", L));
static_assert(SlotIs(kUserMembers[user_slot::kUserNameGet], "sUserName", G));
static_assert(SlotIs(kUserMembers[user_slot::kSIDGet], "sSID", G));
static_assert(SlotIs(kUserMembers[user_slot::kDelete], "Delete", M));
static_assert(SlotIs(kUserMembers[user_slot::kAdd], "Add", M));
static_assert(SlotIs(kUserMembers[user_slot::kEnumerate], "Enumerate", M));

constexpr EnumConstant kLogLevels[] = {{"LogNone", 0, "LogNone"},
                                       {"LogAddDel", 1, "LogAddDel"},
                                       {"LogFull", 2, "LogFull"}};
constexpr EnumConstant kPrivs[] = {{"privGuest", 0, "privGuest"},
                                   {"privUser", 1, "privUser"},
                                   {"privAdmin", 2, "privAdmin"}};

}  // namespace

const Library kLibrary = {
    "Corvane", {"{0D4F3054-B486-11CF-9C8E-000000000000}"},    1, 0,
    0x409,     "Corvane NT security API automation component"};

const Interface kNTDomainInterface = {
    "_NTDomain",
    {"{0D4F3051-B486-11CF-9C8E-000000000000}"},
    "A class to manipulate domain user and group account.",
    true,
    kDomainMembers};
const Interface kNTGroupInterface = {
    "NTGroup",
    {"{0D4F304F-B486-11CF-9C8E-000000000000}"},
    "Represents the global groups in a domain.",
    false,
    kGroupMembers};
const Interface kNTUserInterface = {
    "NTUser",
    {"{0D4F304C-B486-11CF-9C8E-000000000000}"},
    "Represents the users in the parent (either a domain or group).",
    false,
    kUserMembers};

const CreatableClass kNTDomainClass = {
    "NTDomain",
    {"{0D4F3052-B486-11CF-9C8E-000000000000}"},
    "Corvane.NTDomain",
    &kNTDomainInterface};
const ChildClass kNTGroupClass = {"NTGroup",
                                  {"{0D4F3050-B486-11CF-9C8E-000000000000}"}};
const ChildClass kNTUserClass = {"NTUser",
                                 {"{0D4F304D-B486-11CF-9C8E-000000000000}"}};

const Enumeration kLogLevelEnum = {
    "eLogLevel", {"{0D4F3053-B486-11CF-9C8E-000000000000}"}, kLogLevels};
const Enumeration kPrivEnum = {
    "ePriv", {"{0D4F304E-B486-11CF-9C8E-000000000000}"}, kPrivs};

}  // namespace corvane::contract
