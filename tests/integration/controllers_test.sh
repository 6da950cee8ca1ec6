#!/usr/bin/env bash
# The command against a domain with two controllers, as
# tests/dc/with-dcs.sh starts them (CORVANE_DC_* and CORVANE_DC2_* in the
# environment): the controllers found from DNS with no --server, failing
# over past controllers that do not answer, and a clear failure when none
# does. Prints "N passed, N failed".
#
#   with-dcs.sh controllers_test.sh PATH/TO/corvane
set -uo pipefail

corvane=${1:?usage: $0 PATH/TO/corvane}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
: "${CORVANE_DC2_HOST:?run through tests/dc/with-dcs.sh}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Both controllers' DNS, so that location survives DC1's death; a short
# connect timeout, as the controllers are local.
export CORVANE_DNS_SERVER=$CORVANE_DC_HOST,$CORVANE_DC2_HOST
export CORVANE_CONNECT_TIMEOUT=2
unset CORVANE_SERVER
realm=$CORVANE_DC_REALM
realm_lower=${realm,,}
passed=0
failed=0

check() {
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what" >&2
    return 1
  fi
}
# corvane on the realm, controllers from DNS; output in $work/out, $work/err.
located() {
  "$corvane" --realm "$realm" --domain "$CORVANE_DC_DOMAIN" \
    -A "$CORVANE_DC_AUTH_FILE" "$@" >"$work/out" 2>"$work/err"
}
on() {
  local host=$1
  shift
  "$corvane" --server "$host" --domain "$CORVANE_DC_DOMAIN" \
    -A "$CORVANE_DC_AUTH_FILE" "$@" >"$work/out" 2>"$work/err"
}
admin_password=$(sed -n 's/^password = //p' "$CORVANE_DC_AUTH_FILE")
samba_tool() {
  PASSWD=$admin_password samba-tool "$@" -s "$CORVANE_DC_CLIENT_CONF" \
    -U Administrator
}
# Whether `host`'s own directory holds the account (LDAP, not replicated
# state seen through the other).
ldap_has() {
  PASSWD=$admin_password ldbsearch -H "ldap://$1" -U Administrator \
    --configfile="$CORVANE_DC_CLIENT_CONF" -b "DC=${realm_lower//./,DC=}" \
    "(sAMAccountName=$2)" dn 2>/dev/null | grep -q '^dn: '
}
grep_out() { grep -q -- "$1" "$work/out"; }
grep_err() { grep -q -- "$1" "$work/err"; }

echo "== replication"
echo Pw-1234567890ab | on "$CORVANE_DC_HOST" user add repl-one
check "user add on DC1" test $? -eq 0
check "DC2 does not hold it before replication" \
  test "$(ldap_has "$CORVANE_DC2_HOST" repl-one; echo $?)" = 1
"$here/../dc/replicate.sh" "$CORVANE_DC2_DIR" \
  "${CORVANE_DC_NAME,,}.$realm_lower" >"$work/replicate" 2>&1
check "replication from DC1 to DC2" test $? -eq 0 || cat "$work/replicate" >&2
check "DC2's own directory then holds the account made on DC1" \
  ldap_has "$CORVANE_DC2_HOST" repl-one
on "$CORVANE_DC2_HOST" user show repl-one
check "the command reads it from DC2" grep_out "^name: *repl-one"

echo "== location from DNS"
located dc "$CORVANE_DC_DOMAIN"
check "dc without --server succeeds" test $? -eq 0
check "dc names the controller that answered" grep_out "\\\\$CORVANE_DC_NAME"
check "dc lists DC1 as used" \
  grep_out "^${CORVANE_DC_NAME,,}.$realm_lower $CORVANE_DC_HOST used$"
check "dc lists DC2, untried" \
  grep_out "^${CORVANE_DC2_NAME,,}.$realm_lower $CORVANE_DC2_HOST not tried$"
check "nothing on stderr when the first answers" test ! -s "$work/err"
located --json dc "$CORVANE_DC_DOMAIN"
check "dc --json gives the controllers" python3 -c '
import json, sys
doc = json.load(open(sys.argv[1]))
hosts = [c["address"] for c in doc["controllers"]]
assert hosts == sys.argv[2:4], hosts
assert doc["controllers"][0]["used"] and not doc["controllers"][1]["tried"]
assert doc["query"] == "_ldap._tcp.dc._msdcs." + sys.argv[4].lower()
' "$work/out" "$CORVANE_DC_HOST" "$CORVANE_DC2_HOST" "$realm"
located user show repl-one
check "a task command without --server" grep_out repl-one
CORVANE_SITE=Default-First-Site-Name located dc "$CORVANE_DC_DOMAIN"
check "the site's records are used" grep_out "$CORVANE_DC_HOST used"

echo "== what only every controller knows"
# Each controller keeps the logons it served (a Kerberos logon at a chosen
# controller's KDC) and the bad passwords it saw (counted only under a
# lock-out threshold).
samba_tool domain passwordsettings set --account-lockout-threshold=5 \
  -H "ldap://$CORVANE_DC_HOST" >/dev/null
echo Pw-1234567890ab | on "$CORVANE_DC_HOST" user add facts-a
"$here/../dc/replicate.sh" "$CORVANE_DC2_DIR" \
  "${CORVANE_DC_NAME,,}.$realm_lower" >"$work/replicate" 2>&1
kinit_at() {  # HOST PASSWORD
  printf '[libdefaults]\n default_realm = %s\n dns_lookup_kdc = false\n' \
    "$realm" >"$work/krb5.conf"
  printf '[realms]\n %s = {\n  kdc = %s\n }\n' "$realm" "$1" \
    >>"$work/krb5.conf"
  echo "$2" | KRB5_CONFIG=$work/krb5.conf KRB5CCNAME=$work/ccache \
    kinit "facts-a@$realm" >/dev/null 2>&1
}
check "a logon at DC1" kinit_at "$CORVANE_DC_HOST" Pw-1234567890ab
sleep 1.1
check "a later logon at DC2" kinit_at "$CORVANE_DC2_HOST" Pw-1234567890ab
check "a bad password at DC1" test "$(kinit_at "$CORVANE_DC_HOST" wrong; echo $?)" != 0
samba_tool domain passwordsettings set --account-lockout-threshold=0 \
  -H "ldap://$CORVANE_DC_HOST" >/dev/null
# lastLogon as each controller's own directory holds it.
last_logon_at() {
  PASSWD=$admin_password ldbsearch -H "ldap://$1" -U Administrator \
    --configfile="$CORVANE_DC_CLIENT_CONF" -b "DC=${realm_lower//./,DC=}" \
    "(sAMAccountName=facts-a)" lastLogon 2>/dev/null |
    sed -n 's/^lastLogon: //p'
}
located --json user show facts-a --all-dcs
check "user show --all-dcs succeeds" test $? -eq 0 || cat "$work/err" >&2
check "... the latest logon from DC2, each controller's as its directory has it" \
  python3 -c '
import datetime, json, sys
doc = json.load(open(sys.argv[1]))
def iso(nt):
    seconds = (int(nt) + 5000000) // 10000000 - 11644473600
    return datetime.datetime.fromtimestamp(seconds, datetime.timezone.utc) \
        .strftime("%Y-%m-%dT%H:%M:%SZ")
views = {c["name"].split(".")[0]: c for c in doc["controllers"]}
assert views["dc1"]["lastLogon"] == iso(sys.argv[2]), (views, sys.argv[2])
assert views["dc2"]["lastLogon"] == iso(sys.argv[3]), (views, sys.argv[3])
assert views["dc1"]["lastLogon"] < views["dc2"]["lastLogon"]
assert doc["lastLogon"] == views["dc2"]["lastLogon"]
assert doc["lastLogonController"].startswith("dc2."), doc
assert views["dc1"]["badPasswordCount"] == 1, views
assert views["dc2"]["badPasswordCount"] == 0, views
' "$work/out" "$(last_logon_at "$CORVANE_DC_HOST")" \
    "$(last_logon_at "$CORVANE_DC2_HOST")"
located user list --last-logon --csv
check "user list --last-logon gives DC2's logon" \
  grep_out "^facts-a,[0-9T:Z-]*,${CORVANE_DC2_NAME,,}.$realm_lower$"
check "... and never for an account that never logged on" \
  grep_out "^repl-one,never,$"

echo "== failover"
# A controller that is listed first but down: nothing listens on
# 127.0.0.9.
samba_tool dns add "$CORVANE_DC_HOST" "$realm_lower" dead-dc A 127.0.0.9 \
  >/dev/null
samba_tool dns add "$CORVANE_DC_HOST" "_msdcs.$realm_lower" _ldap._tcp.dc SRV \
  "dead-dc.$realm_lower 389 0 200" >/dev/null
located user show repl-one
check "a command succeeds past a controller that is down" test $? -eq 0
check "... saying which controller it used" \
  grep_err "using domain controller ${CORVANE_DC_NAME,,}.$realm_lower ($CORVANE_DC_HOST); not answering: dead-dc.$realm_lower (127.0.0.9)"
located dc "$CORVANE_DC_DOMAIN"
check "dc shows the one that did not answer" \
  grep_out "^dead-dc.$realm_lower 127.0.0.9 not answering: "
samba_tool dns delete "$CORVANE_DC_HOST" "_msdcs.$realm_lower" _ldap._tcp.dc \
  SRV "dead-dc.$realm_lower 389 0 200" >/dev/null
# A realm none of whose controllers answers: its own zone on DC1.
samba_tool dns zonecreate "$CORVANE_DC_HOST" gone.test >/dev/null
for name in gone1 gone2; do
  samba_tool dns add "$CORVANE_DC_HOST" gone.test "$name" A \
    "127.0.0.$([[ $name == gone1 ]] && echo 9 || echo 10)" >/dev/null
  samba_tool dns add "$CORVANE_DC_HOST" gone.test _ldap._tcp.dc._msdcs SRV \
    "$name.gone.test 389 0 100" >/dev/null
done
"$corvane" --realm GONE.TEST --domain GONE -A "$CORVANE_DC_AUTH_FILE" user show x \
  >"$work/out" 2>"$work/err"
check "no controller answering fails" test $? -eq 1
check "... naming every one tried" grep_err \
  "no domain controller answered (NERR_DCNotFound): GONE.TEST has 2 in DNS; tried gone1.gone.test (127.0.0.9): Connection refused; gone2.gone.test (127.0.0.10): Connection refused" ||
  cat "$work/err" >&2

echo "== a run whose controller dies part way"
# DC1 answers first; it is stopped while an import runs on it. The rows it
# had made are pulled into DC2 first where they are known (replicate.sh),
# so that the second run, on DC2, finds them.
rows=$work/rows.csv
{
  echo "name,full name"
  for i in $(seq -w 1 60); do echo "mid-$i,Row $i"; done
} >"$rows"
"$corvane" --realm "$realm" --domain "$CORVANE_DC_DOMAIN" \
  -A "$CORVANE_DC_AUTH_FILE" user import --generate-passwords "$work/pw1" \
  "$rows" >"$work/first" 2>&1 &
importer=$!
wait_until_made() {
  for _ in $(seq 1 200); do
    ldap_has "$CORVANE_DC_HOST" mid-10 && return 0
    sleep 0.1
  done
  return 1
}
check "the first run makes rows on DC1" wait_until_made || cat "$work/first" >&2
"$here/../dc/replicate.sh" "$CORVANE_DC2_DIR" \
  "${CORVANE_DC_NAME,,}.$realm_lower" >"$work/replicate" 2>&1
"$here/../dc/stop-dc.sh" "$CORVANE_DC_DIR"
wait "$importer"
check "the interrupted run fails" test $? -eq 1
done_rows=$(grep -c "created" "$work/first" || true)
check "... having made some rows and not all (made: $done_rows)" \
  test "$done_rows" -ge 10 -a "$done_rows" -lt 60
"$corvane" --realm "$realm" --domain "$CORVANE_DC_DOMAIN" \
  -A "$CORVANE_DC_AUTH_FILE" user import --exist-ok \
  --generate-passwords "$work/pw2" "$rows" \
  >"$work/out" 2>"$work/err"
check "the second run completes on DC2" test $? -eq 0 || cat "$work/out" "$work/err" >&2
check "... saying it uses DC2" \
  grep_err "using domain controller ${CORVANE_DC2_NAME,,}.$realm_lower"
all_there() {
  local count
  count=$(PASSWD=$admin_password ldbsearch -H "ldap://$CORVANE_DC2_HOST" \
    -U Administrator --configfile="$CORVANE_DC_CLIENT_CONF" \
    -b "DC=${realm_lower//./,DC=}" "(sAMAccountName=mid-*)" dn 2>/dev/null |
    grep -c '^dn: ')
  [[ $count == 60 ]]
}
check "DC2 holds every row's account once" all_there

located user list --last-logon --csv
check "a last-logon listing with DC1 down fails" test $? -eq 1
check "... naming DC1" grep_err "${CORVANE_DC_NAME,,}.$realm_lower: "
check "... and still giving what DC2 knows" \
  grep_out "^facts-a,[0-9T:Z-]*,${CORVANE_DC2_NAME,,}.$realm_lower$"

echo "== $passed passed, $failed failed"
echo "$passed passed, $failed failed"
((failed == 0))
