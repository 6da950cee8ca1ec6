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
expect_line "$(cv user show "$second")" "disabled:             yes"
cv user enable "$second"
expect_line "$(cv user show "$second")" "disabled:             no"
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

# The account facts, each checked against samba-tool's reading of the
# directory: a failed logon for a bad password count, a successful one for
# the last logon, an expiry and a password that must be changed.
tool() { samba-tool "$@" -s "$CORVANE_DC_SMB_CONF" 2>/dev/null; }
logon() {  # logon USER PASSWORD
  smbclient "//$CORVANE_DC_HOST/IPC\$" -s "$CORVANE_DC_CLIENT_CONF" \
    -U "$CORVANE_DC_DOMAIN\\$1%$2" -c exit >/dev/null 2>&1
}
logon "$second" "$(password "$second-new")" || fail "logon of $second"
tool user setexpiry "$first" --days=30 >/dev/null
tool user setpassword "$first" --newpassword="$(password "$first-2")" \
  --must-change-at-next-login >/dev/null
# The controller counts bad passwords only under a lock-out threshold.
tool domain passwordsettings set --account-lockout-threshold=5 >/dev/null
logon "$first" "wrong-Pw-1!" && fail "a wrong password logged on"
tool domain passwordsettings set --account-lockout-threshold=0 >/dev/null
field() {  # field JSON KEY: the value, "null" for none
  python3 -c 'import json, sys
v = json.loads(sys.argv[1])[sys.argv[2]]
print("null" if v is None else str(v).lower() if isinstance(v, bool) else v)' "$1" "$2"
}
nt_time() {  # nt_time VALUE: 100 ns since 1601 as seconds since 1970, or null
  if [[ -z $1 || $1 == 0 || $1 == 9223372036854775807 ]]; then
    echo null
  else
    echo $(($1 / 10000000 - 11644473600))
  fi
}
seconds() { [[ $1 == null ]] && echo null || date -u -d "$1" +%s; }
near() { [[ $1 == "$2" ]] || { [[ $1 != null && $2 != null ]] && (($1 - $2 <= 2 && $2 - $1 <= 2)); }; }
for account in "$first" "$second"; do
  facts=$(cv --json user show "$account")
  attrs=$(tool user show "$account" \
    --attributes=lastLogon,pwdLastSet,accountExpires,badPwdCount,primaryGroupID,objectSid,msDS-UserPasswordExpiryTimeComputed)
  attr() { sed -n "s/^$1: //p" <<<"$attrs"; }
  [[ $(field "$facts" sid) == "$(attr objectSid)" ]] || fail "SID of $account"
  [[ $(field "$facts" badPasswordCount) == "$(attr badPwdCount)" ]] ||
    fail "bad password count of $account: $facts / $attrs"
  [[ $(field "$facts" primaryGroupId) == "$(attr primaryGroupID)" ]] ||
    fail "primary group of $account"
  [[ $(field "$facts" primaryGroup) == "Domain Users" ]] ||
    fail "primary group name of $account"
  near "$(seconds "$(field "$facts" lastLogon)")" "$(nt_time "$(attr lastLogon)")" ||
    fail "last logon of $account: $facts / $attrs"
  near "$(seconds "$(field "$facts" accountExpires)")" \
    "$(nt_time "$(attr accountExpires)")" || fail "expiry of $account"
  near "$(seconds "$(field "$facts" passwordLastSet)")" \
    "$(nt_time "$(attr pwdLastSet)")" || fail "password set of $account"
  must_change=false
  [[ $(attr pwdLastSet) == 0 ]] && must_change=true
  [[ $(field "$facts" mustChangePassword) == "$must_change" ]] ||
    fail "must change of $account"
  if [[ $must_change == false ]]; then
    near "$(seconds "$(field "$facts" passwordExpires)")" \
      "$(nt_time "$(attr msDS-UserPasswordExpiryTimeComputed)")" ||
      fail "password expiry of $account: $facts / $attrs"
  fi
  groups=$(cv user groups "$account")
  expect_line "$groups" "Domain Users (primary)"
  diff <(sed 's/ (primary)$//' <<<"$groups" | sort) \
    <(tool user getgroups "$account" | sort) >&2 || fail "groups of $account"
done
[[ $(field "$(cv --json user show "$first")" badPasswordCount) -ge 1 ]] ||
  fail "the failed logon left no bad password count"
[[ $(field "$(cv --json user show "$first")" mustChangePassword) == true ]] ||
  fail "no must-change state"

sid_first=$(cv user sid "$first")
sid_second=$(cv user sid "$second")
[[ $sid_first =~ ^[0-9]+$ && $sid_second =~ ^[0-9]+$ ]] || fail "SID texts"
[[ $sid_first != "$sid_second" ]] || fail "two accounts share a SID text"

invoked=$(cv invoke "Users.sUserName=$first" 'Users.sFullName')
[[ $invoked == "Ann Session" ]] || fail "invoke printed '$invoked'"

# A batch from standard input, its passwords from a stream of their own:
# every line runs past the failed one, over one connection (one TCP connect
# to the controller's port 445), with the controller located once.
batch_dir=$(mktemp -d "${TMPDIR:-/tmp}/corvane-batch.XXXXXX")
printf '%s\n' "$(password "$first-batch")" >"$batch_dir/passwords"
batch_lines=(
  "user password $first" "user show nosuch$suffix"
  "user set $second --comment 'Batch #2'" "group members $group"
)
set +e
# The leak checker of sanitizer builds cannot run under ptrace.
printf '%s\n' '# from a batch' "${batch_lines[@]}" |
  ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
  strace -f -e trace=connect -o "$batch_dir/trace" \
    "$corvane" --server "$CORVANE_DC_HOST" --domain "$CORVANE_DC_DOMAIN" \
    --realm "$CORVANE_DC_REALM" -A "$CORVANE_DC_AUTH_FILE" -d 1 \
    batch --keep-going --passwords-from "$batch_dir/passwords" - \
    >"$batch_dir/out" 2>"$batch_dir/err"
status=$?
set -e
cat "$batch_dir/err" >&2
((status == 1)) || fail "batch with a failed line exited $status"
grep -qxF "corvane: 1 of 4 lines failed (3)" "$batch_dir/err" ||
  fail "batch summary"
[[ $(grep -c '^netapi: NetGetDCName' "$batch_dir/err") == 1 ]] ||
  fail "the batch located its controller more than once"
[[ $(grep -c 'htons(445)' "$batch_dir/trace") == 1 ]] ||
  fail "the batch opened more than one connection: $(cat "$batch_dir/trace")"
expect_line "$(cat "$batch_dir/out")" "$first"
expect_line "$(cv user show "$second")" "comment:              Batch #2"
rm -rf "$batch_dir"

cv group remove-member "$group" "$second"
members=$(cv group members "$group")
[[ $members == "$first" ]] || fail "members after removal: $members"

# Bulk provisioning: three accounts with generated passwords, which the
# controller's complexity rules accept, in the group; then the file again
# with a change, which --exist-ok applies and nothing else.
imports=$(mktemp -d "${TMPDIR:-/tmp}/corvane-import.XXXXXX")
imported=(cvimp1$suffix cvimp2$suffix cvimp3$suffix)
{
  echo 'name,full name,comment,disabled,groups'
  for name in "${imported[@]}"; do echo "$name,\"Imported, $name\",bulk,no,$group"; done
} >"$imports/staff.csv"
cv user import --generate-passwords "$imports/new.txt" "$imports/staff.csv"
[[ $(stat -c %a "$imports/new.txt") == 600 ]] || fail "password file mode"
[[ $(cut -d, -f1 "$imports/new.txt" | tr '\n' ' ') == "${imported[*]} " ]] ||
  fail "password file: $(cut -d, -f1 "$imports/new.txt")"
members=$(cv group members "$group")
for name in "${imported[@]}"; do expect_line "$members" "$name"; done
sed -i "s/,bulk,no,/,bulk,yes,/" "$imports/staff.csv"
status=0
cv user import "$imports/staff.csv" >/dev/null 2>&1 || status=$?
((status == 1)) || fail "import over existing accounts exited $status"
rerun=$(cv user import --exist-ok "$imports/staff.csv")
expect_line "$rerun" "line 2 ${imported[0]}: disable"
expect_line "$(cv user show "${imported[2]}")" "disabled:             yes"
expect_line "$(cv user list --disabled)" "${imported[2]}"
expect_line "$(cv user export | grep "^${imported[1]},")" \
  "${imported[1]},\"Imported, ${imported[1]}\",bulk,,,yes,$group,no,never,never"
for name in "${imported[@]}"; do cv user delete "$name"; done
rm -rf "$imports"

# The account lifecycle, checked against samba-tool's reading of the
# directory: must change (pwdLastSet 0), the expiry, and a rename of a user
# and of a group that keeps their SIDs.
life=cvlife$suffix
cv --input "$(password "$life")" user add "$life" --must-change-at-next-login \
  --expires 2031-01-31
show_attr() { tool "$1" show "$2" --attributes="$3" | sed -n "s/^$3: //p"; }
[[ $(show_attr user "$life" pwdLastSet) == 0 ]] || fail "pwdLastSet of $life"
[[ $(nt_time "$(show_attr user "$life" accountExpires)") == \
  $(date -d '2031-02-01 00:00' +%s) ]] || fail "accountExpires of $life"
expect_line "$(cv user list --expired)" "$life"
expect_line "$(cv user list --never-logged-on --csv)" \
  "$life,,no,no,yes,yes,$(date -u -d '2031-02-01 00:00' +%Y-%m-%dT%H:%M:%SZ),never,never"
cv user set "$life" --no-must-change-at-next-login --no-expiry
[[ $(show_attr user "$life" pwdLastSet) != 0 ]] || fail "must change stayed"
[[ $(nt_time "$(show_attr user "$life" accountExpires)") == null ]] ||
  fail "the expiry stayed"
sid=$(show_attr user "$life" objectSid)
cv user rename "$life" "${life}r"
[[ $(show_attr user "${life}r" objectSid) == "$sid" ]] || fail "SID after rename"
[[ $(cv user sid --format=sddl "${life}r") == "$sid" ]] || fail "user sid --format=sddl"
cv user delete "${life}r"
sid=$(show_attr group "$group" objectSid)
cv group rename "$group" "${group}r"
[[ $(show_attr group "${group}r" objectSid) == "$sid" ]] || fail "group SID after rename"
cv group rename "${group}r" "$group"

cv user delete "$first"
cv user delete "$second"
cv group delete "$group"
set +e
cv user show "$first" 2>/dev/null
status=$?
set -e
((status == 1)) || fail "show of a deleted account exited $status"

# Credentials as Samba's clients take them.
admin_password=$(sed -n 's/^password = //p' "$CORVANE_DC_AUTH_FILE")
work=$(mktemp -d "${TMPDIR:-/tmp}/corvane-cred.XXXXXX")
trap 'rm -rf "$work"' EXIT
server=(--server "$CORVANE_DC_HOST")

echo "\$ corvane -U Administrator user list  (password on standard input)" >&2
listed=$(printf '%s\n' "$admin_password" |
  "$corvane" "${server[@]}" -U Administrator user list)
expect_line "$listed" Administrator
# The first line is the -U password, the next the new account's.
printf '%s\n%s\n' "$admin_password" "Cv-$first-Pw2!" |
  "$corvane" "${server[@]}" --domain "$CORVANE_DC_DOMAIN" -U Administrator \
    user add "$first"
expect_line "$(cv user list)" "$first"
cv user delete "$first"
# The first line is the -U password, the rest the batch read from it.
shown=$(printf '%s\n%s\n' "$admin_password" "user show Administrator" |
  "$corvane" "${server[@]}" -U Administrator batch -)
expect_line "$shown" "name:                 Administrator"

echo "\$ corvane -U Administrator user list  (at a prompt on a terminal)" >&2
screen=$(python3 - "$corvane" "$CORVANE_DC_HOST" "$admin_password" <<'PY'
import os, pty, select, sys, time
corvane, host, password = sys.argv[1:]
pid, fd = pty.fork()
if pid == 0:
    os.execv(corvane, [corvane, "--server", host, "-U", "Administrator",
                       "user", "list"])
def read_until(marker, seconds=60):
    seen, end = b"", time.time() + seconds
    while marker not in seen and time.time() < end:
        if not select.select([fd], [], [], 1)[0]:
            continue
        try:
            seen += os.read(fd, 4096)
        except OSError:
            break
    return seen
shown = read_until(b"Password for [")
shown += read_until(b"]: ")
os.write(fd, password.encode() + b"\n")
shown += read_until(b"krbtgt")
# Read to the end, so that a long listing never blocks on a full terminal.
while (chunk := read_until(b"\0", 5)):
    shown += chunk
os.waitpid(pid, 0)
sys.stdout.write(shown.decode(errors="replace").replace("\r", ""))
PY
)
printf '%s\n' "$screen" >&2
grep -qF 'Password for [Administrator]: ' <<<"$screen" ||
  fail "no password prompt: $screen"
grep -qxF Administrator <<<"$screen" || fail "no listing after the prompt"
if grep -qF -- "$admin_password" <<<"$screen"; then
  fail "the password was echoed"
fi

status=0
"$corvane" "${server[@]}" -U "Administrator%$admin_password" user list \
  2>"$work/err" || status=$?
((status == 2)) || fail "-U USER%PASS exited $status"
if grep -qF -- "$admin_password" "$work/err"; then fail "-U%: password shown"; fi

echo "\$ corvane -s smb.conf -A admin.auth user list" >&2
cat >"$work/smb.conf" <<CONF
[global]
  workgroup = $CORVANE_DC_DOMAIN
  realm = $CORVANE_DC_REALM
  password server = $CORVANE_DC_HOST
  name resolve order = host
  disable netbios = yes
  client use kerberos = off
  lock directory = $work
  state directory = $work
  cache directory = $work
  private dir = $work
CONF
expect_line "$("$corvane" -s "$work/smb.conf" -A "$CORVANE_DC_AUTH_FILE" \
  user list)" Administrator
expect_line "$("$corvane" -s "$work/smb.conf" -A "$CORVANE_DC_AUTH_FILE" \
  dc "$CORVANE_DC_DOMAIN")" "\\\\$CORVANE_DC_NAME"

# Kerberos: a private krb5.conf names the controller as the realm's KDC and
# keeps the default credentials cache here, so no KRB5CCNAME is needed.
export KRB5_CONFIG=$work/krb5.conf
unset KRB5CCNAME
cat >"$KRB5_CONFIG" <<CONF
[libdefaults]
  default_realm = $CORVANE_DC_REALM
  dns_lookup_realm = false
  dns_lookup_kdc = false
  rdns = false
  default_ccache_name = FILE:$work/krb5cc
[realms]
  $CORVANE_DC_REALM = {
    kdc = $CORVANE_DC_HOST
  }
CONF
status=0
"$corvane" "${server[@]}" user list 2>"$work/err" || status=$?
((status == 1)) || fail "no credentials exited $status"
for option in -U -A kinit; do
  grep -qF -- "$option" "$work/err" || fail "no hint of $option: $(cat "$work/err")"
done

echo "\$ kinit Administrator; corvane --server dc1.${CORVANE_DC_REALM,,} user list" >&2
printf '%s\n' "$admin_password" | kinit Administrator >/dev/null
# Samba's client uses Kerberos only towards a host name, never an address.
status=0
"$corvane" "${server[@]}" user list 2>"$work/err" || status=$?
((status == 1)) && grep -qF "host name" "$work/err" ||
  fail "Kerberos towards an address: $status $(cat "$work/err")"
# The name is resolved from a private hosts table, in a mount namespace of
# its own, so that no DNS query is made and the machine's table is untouched.
dc_host=${CORVANE_DC_NAME,,}.${CORVANE_DC_REALM,,}
{ cat /etc/hosts; echo "$CORVANE_DC_HOST $dc_host"; } >"$work/hosts"
listed=$(unshare --mount bash -c 'mount --bind "$1" /etc/hosts &&
  exec "$2" --server "$3" user list </dev/null' _ \
  "$work/hosts" "$corvane" "$dc_host" 2>"$work/err")
printf '%s\n' "$listed" >&2
expect_line "$listed" Administrator
# The ticket is used as it is: no password is asked for.
if grep -qi password "$work/err"; then fail "with a ticket: $(cat "$work/err")"; fi
# Lists longer than one of corvane's batches, loaded straight into the
# directory (seconds, where adding them one by one takes minutes).
/usr/bin/python3 "$(dirname "$0")/../dc/bulk-accounts.py" \
  "$CORVANE_DC_SMB_CONF" cvbulk 3000 300 1200
echo "\$ corvane -d 1 user list  (3,000 more users)" >&2
listed=$("$corvane" --server "$CORVANE_DC_HOST" --domain "$CORVANE_DC_DOMAIN" \
  --realm "$CORVANE_DC_REALM" -A "$CORVANE_DC_AUTH_FILE" -d 1 user list \
  2>"$work/trace")
count=$(grep -c '^cvbulk' <<<"$listed" || true)
((count == 3000)) || fail "user list showed $count of 3,000 bulk-loaded users"
calls=$(grep -c '^netapi: NetUserEnum ' "$work/trace" || true)
((calls > 1)) || fail "user list took $calls call(s), not several batches"
count=$(cv group list | grep -c '^cvbulkg' || true)
((count == 300)) || fail "group list showed $count of 300 bulk-loaded groups"
[[ $(cv group members cvbulkg0300 | wc -l) == 10 ]] ||
  fail "group members of a bulk-loaded group"
# More members than one name look-up takes (1,000).
count=$(cv group members cvbulkbig | grep -c '^cvbulk' || true)
((count == 1200)) || fail "group members showed $count of 1,200 members"
echo "dc_session: all checks passed" >&2
