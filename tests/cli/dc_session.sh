#!/usr/bin/env bash
# A short real session with the corvane command against the throwaway
# domain controller that tests/dc/with-dc.sh started (CORVANE_DC_* in the
# environment): create a group and users, add members, list, change,
# disable, read SIDs, delete; printing each command and checking its result.
#
#   with-dc.sh dc_session.sh PATH/TO/corvane
set -euo pipefail

if (($# != 1)); then
  echo "usage: $0 PATH/TO/corvane" >&2
  exit 2
fi
corvane=$1
: "${CORVANE_DC_HOST:?run through tests/dc/with-dc.sh}"

suffix=$(date +%s%N | tail -c 7)
group=cvgroup$suffix
first=cvann$suffix
second=cvben$suffix

fail() {
  echo "dc_session: FAILED: $*" >&2
  exit 1
}
# shellcheck source=show-command.sh
source "$(dirname "$0")/show-command.sh"
cv() {  # cv [--input LINE] ARG...: LINE is the command's standard input
  local input=()
  if [[ $1 == --input ]]; then
    input=("$1" "$2")
    shift 2
  fi
  local command=("$corvane" --server "$CORVANE_DC_HOST"
    --domain "$CORVANE_DC_DOMAIN" --realm "$CORVANE_DC_REALM"
    -A "$CORVANE_DC_AUTH_FILE" --audit - "$@")
  show_command "${input[@]}" "${command[@]}" >&2
  local output status=0
  if ((${#input[@]})); then
    output=$(printf '%s\n' "${input[1]}" | "${command[@]}") || status=$?
  else
    output=$("${command[@]}") || status=$?
  fi
  if [[ -n $output ]]; then
    printf '%s\n' "$output" >&2  # shown as well as checked
    printf '%s\n' "$output"
  fi
  return "$status"
}
expect_line() {  # expect_line TEXT LINE: LINE is one of TEXT's lines
  grep -qxF -- "$2" <<<"$1" || fail "expected line '$2' in: $1"
}

dc=$(cv dc "$CORVANE_DC_DOMAIN")
[[ ${dc^^} == "\\\\${CORVANE_DC_NAME^^}" ]] || fail "dc printed '$dc'"

cv group add "$group" --comment "Corvane session"
password() { printf 'Cv-%s-Pw1!' "$1"; }
cv --input "$(password "$first")" user add "$first" --full-name "Ann Session" --comment "first"
cv --input "$(password "$second")" user add "$second" --full-name "Ben Session"
cv group add-member "$group" "$first"
cv group add-member "$group" "$second"

members=$(cv group members "$group")
expect_line "$members" "$first"
expect_line "$members" "$second"
expect_line "$(cv user list)" "$first"
expect_line "$(cv group list)" "$group"

cv --log-level full user set "$first" --comment "changed" --home-dir '\\fs\home'
shown=$(cv --json user show "$first")
grep -q '"comment": "changed"' <<<"$shown" || fail "comment not changed: $shown"
grep -q '"fullName": "Ann Session"' <<<"$shown" || fail "full name: $shown"
cv --log-level full group set "$group" --comment "renamed comment"
expect_line "$(cv group show "$group")" "comment: renamed comment"

cv user disable "$second"
expect_line "$(cv user show "$second")" "disabled:   yes"
cv user enable "$second"
expect_line "$(cv user show "$second")" "disabled:   no"
cv --input "$(password "$second-new")" user password "$second"

# The call trace of -d shows the calls and never a password: the one just
# set, nor the administrator's of the authentication file.
traced() {
  "$corvane" --server "$CORVANE_DC_HOST" --domain "$CORVANE_DC_DOMAIN" \
    --realm "$CORVANE_DC_REALM" -A "$CORVANE_DC_AUTH_FILE" -d 3 "$@" \
    2>&1 >/dev/null
}
trace=$(password "$second-new" | traced user password "$second") ||
  fail "traced password change: $trace"
trace+=$'\n'$(traced user show "$second") || fail "traced show: $trace"
printf '%s\n' "$trace" >&2
grep -q '^netapi: NetUserSetInfo server=.* level=1003 status=0 time=' \
  <<<"$trace" || fail "no password call in the trace"
grep -q '^netapi: NetUserGetInfo server=.* level=2 status=0 time=' \
  <<<"$trace" || fail "no read in the trace"
admin_password=$(sed -n 's/^password *= *//p' "$CORVANE_DC_AUTH_FILE")
for secret in "$admin_password" "$(password "$second-new")"; do
  [[ -n $secret && $trace != *"$secret"* ]] || fail "a password in the trace"
done

sid_first=$(cv user sid "$first")
sid_second=$(cv user sid "$second")
[[ $sid_first =~ ^[0-9]+$ && $sid_second =~ ^[0-9]+$ ]] || fail "SID texts"
[[ $sid_first != "$sid_second" ]] || fail "two accounts share a SID text"

invoked=$(cv invoke "Users.sUserName=$first" 'Users.sFullName')
[[ $invoked == "Ann Session" ]] || fail "invoke printed '$invoked'"

cv group remove-member "$group" "$second"
members=$(cv group members "$group")
[[ $members == "$first" ]] || fail "members after removal: $members"

cv user delete "$first"
cv user delete "$second"
cv group delete "$group"
set +e
cv user show "$first" 2>/dev/null
status=$?
set -e
((status == 1)) || fail "show of a deleted account exited $status"
echo "dc_session: all checks passed" >&2
