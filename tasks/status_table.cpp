#include "tasks/status_table.h"

#include <algorithm>
#include <charconv>

namespace corvane::tasks {
namespace {

constexpr std::string_view kCheckLogon =
    "check the user and password (-U, -A) or the Kerberos ticket (klist)";

// Sorted by number. Meanings follow Samba's texts (libnetapi_errstr) in
// lower case without the full stop, except where Samba's text is too long
// or does not fit what the status means to these commands.
constexpr StatusInfo kStatuses[] = {
    {0, "NERR_Success", "the operation completed successfully", ""},
    {2, "ERROR_FILE_NOT_FOUND", "the system cannot find the file specified",
     "Samba answers this when the controller's name cannot be found: give "
     "--server as an address or a name the resolver knows"},
    {5, "ERROR_ACCESS_DENIED", "access is denied",
     "the account used lacks the right on the controller"},
    {6, "ERROR_INVALID_HANDLE", "the handle is invalid", ""},
    {8, "ERROR_NOT_ENOUGH_MEMORY",
     "not enough storage is available to process this command", ""},
    {50, "ERROR_NOT_SUPPORTED", "the request is not supported", ""},
    {53, "ERROR_BAD_NETPATH", "the network path was not found",
     "check --server; only the configured controller is reached"},
    {58, "ERROR_BAD_NET_RESP",
     "the specified server cannot perform the requested operation",
     "the controller sent a reply that is not well formed; try another "
     "controller, or report it with the call trace (-d 3)"},
    {59, "ERROR_UNEXP_NET_ERR", "an unexpected network error occurred", ""},
    {64, "ERROR_NETNAME_DELETED",
     "the specified network name is no longer available", ""},
    {87, "ERROR_INVALID_PARAMETER", "the parameter is incorrect",
     "the controller refused a value: a name holding one of \"/\\[]:;|=,+*?<> "
     "or a privilege other than user"},
    {122, "ERROR_INSUFFICIENT_BUFFER",
     "the data area passed to a system call is too small", ""},
    {124, "ERROR_INVALID_LEVEL", "the system call level is not correct", ""},
    {234, "ERROR_MORE_DATA", "more data is available", ""},
    {1003, "ERROR_CAN_NOT_COMPLETE", "cannot complete this function",
     "Samba answers this when it cannot connect or log on to the controller "
     "(its reason, e.g. NT_STATUS_LOGON_FAILURE, is printed before); check "
     "--server and the credentials"},
    {1113, "ERROR_NO_UNICODE_TRANSLATION",
     "no mapping for the Unicode character exists in the target multibyte "
     "code page",
     ""},
    {1168, "ERROR_NOT_FOUND", "element not found", ""},
    {1212, "ERROR_INVALID_DOMAINNAME",
     "the format of the specified domain name is invalid", ""},
    {1225, "ERROR_CONNECTION_REFUSED",
     "the remote system refused the network connection",
     "check --server and that the controller is running"},
    {1311, "ERROR_NO_LOGON_SERVERS",
     "there are currently no logon servers available to service the logon "
     "request",
     ""},
    {1315, "ERROR_INVALID_ACCOUNT_NAME",
     "the name provided is not a properly formed account name", ""},
    {1316, "ERROR_USER_EXISTS", "the specified account already exists", ""},
    {1317, "ERROR_NO_SUCH_USER", "the specified account does not exist", ""},
    {1318, "ERROR_GROUP_EXISTS", "the specified group already exists", ""},
    {1319, "ERROR_NO_SUCH_GROUP", "the specified group does not exist", ""},
    {1320, "ERROR_MEMBER_IN_GROUP",
     "the user is already a member of the group, or the group still has "
     "members",
     ""},
    {1321, "ERROR_MEMBER_NOT_IN_GROUP",
     "the specified user account is not a member of the specified group "
     "account",
     ""},
    {1326, "ERROR_LOGON_FAILURE",
     "logon failure: unknown user name or bad password", kCheckLogon},
    {1327, "ERROR_ACCOUNT_RESTRICTION",
     "logon failure: user account restriction", kCheckLogon},
    {1330, "ERROR_PASSWORD_EXPIRED",
     "logon failure: the specified account password has expired", ""},
    {1331, "ERROR_ACCOUNT_DISABLED",
     "logon failure: account currently disabled", ""},
    {1332, "ERROR_NONE_MAPPED",
     "no mapping between account names and SIDs was done", ""},
    {1337, "ERROR_INVALID_SID", "the SID structure is invalid", ""},
    {1355, "ERROR_NO_SUCH_DOMAIN",
     "the specified domain either does not exist or could not be contacted",
     "check --domain and --server"},
    {1358, "ERROR_INTERNAL_DB_CORRUPTION",
     "the directory refused the operation",
     "a Samba controller answers this for a name holding a control "
     "character"},
    {1722, "RPC_S_SERVER_UNAVAILABLE", "the RPC server is unavailable",
     "check --server and that the controller is running"},
    {1909, "ERROR_ACCOUNT_LOCKED_OUT",
     "the referenced account is currently locked out and cannot be logged on "
     "to",
     ""},
    {2202, "NERR_BadUsername",
     "the user name or group name parameter is invalid", ""},
    {2220, "NERR_GroupNotFound", "the group name could not be found",
     "group list shows the groups"},
    {2221, "NERR_UserNotFound", "the user name could not be found",
     "user list shows the accounts"},
    {2223, "NERR_GroupExists", "the group already exists", ""},
    {2224, "NERR_UserExists", "the user account already exists", ""},
    {2226, "NERR_NotPrimary",
     "this operation is allowed only on the PDC of the domain", ""},
    {2234, "NERR_SpeGroupOp",
     "this operation is not allowed on this special group", ""},
    {2236, "NERR_UserInGroup", "the user already belongs to this group", ""},
    {2237, "NERR_UserNotInGroup", "the user does not belong to this group", ""},
    {2245, "NERR_PasswordTooShort",
     "the password does not meet the password policy requirements",
     "check the minimum length, complexity and history rules"},
    {2351, "NERR_InvalidComputer", "this computer name is invalid", ""},
    {2453, "NERR_DCNotFound",
     "could not find the domain controller for this domain", "check --domain"},
};

}  // namespace

std::span<const StatusInfo> AllStatuses() { return kStatuses; }

const StatusInfo* FindStatus(std::int32_t number) {
  const auto found = std::lower_bound(
      std::begin(kStatuses), std::end(kStatuses), number,
      [](const StatusInfo& info, std::int32_t n) { return info.number < n; });
  if (found == std::end(kStatuses) || found->number != number) return nullptr;
  return found;
}

std::optional<std::int32_t> StatusInText(std::string_view last_error) {
  std::size_t at;
  if (last_error.starts_with("ERROR ") && !last_error.starts_with("ERROR - ")) {
    at = 6;
  } else if (const auto marker = last_error.rfind(" (error #");
             marker != std::string_view::npos && last_error.ends_with(")")) {
    at = marker + 9;
  } else {
    return std::nullopt;
  }
  std::int32_t number = 0;
  const char* first = last_error.data() + at;
  const auto [end, error] =
      std::from_chars(first, last_error.data() + last_error.size(), number);
  if (error != std::errc() || end == first) return std::nullopt;
  return number;
}

std::string Explained(const std::string& last_error) {
  const std::optional<std::int32_t> status = StatusInText(last_error);
  const StatusInfo* info = status ? FindStatus(*status) : nullptr;
  if (!info) return last_error;
  return last_error + " (" + std::string(info->name) + ": " +
         std::string(info->meaning) + ")";
}

}  // namespace corvane::tasks
