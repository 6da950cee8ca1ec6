#!/usr/bin/env bash
# Corvane as whole processes against Samba's own tools on the same throwaway
# controller, at 1,000 and 5,000 users with one group per ten users: each
# pair of commands is run alternately (paired runs), and the table gives
# both medians and the median of the paired ratios (Corvane's time over the
# other's; below 1 is faster). Then peak memory: `user list` at 40,000
# users against 1,000, and `group show` among 10,000 groups against
# `samba-tool group show`. Accounts are bulk-loaded into the controller's
# directory (tests/dc/bulk-accounts.py). Run as root, after a build with
# CORVANE_WITH_SAMBA=ON (best a Release build).
#
#   bench/compare-listing.sh [PATH/TO/corvane] [RUNS]
#
# BENCH_SIZES (default "1000 5000"), BENCH_IMPORT_ROWS (default 1000) and
# BENCH_MEMORY=0 (skips the memory part, which loads 40,000 users) adjust
# what runs. BENCH_CONTROLLERS=2 runs against two replicating controllers
# (tests/dc/with-dcs.sh) and adds the last-logon listing over both.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
corvane=${1:-$root/build/normal/cli/corvane}
runs=${2:-15}

if [[ -z ${CORVANE_DC_HOST:-} ]]; then
  if [[ ${BENCH_CONTROLLERS:-1} == 2 ]]; then
    exec "$root/tests/dc/with-dcs.sh" "$0" "$corvane" "$runs"
  fi
  exec "$root/tests/dc/with-dc.sh" "$0" "$corvane" "$runs"
fi

sizes=${BENCH_SIZES:-1000 5000}
import_rows=${BENCH_IMPORT_ROWS:-1000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cv() {
  "$corvane" --server "$CORVANE_DC_HOST" --domain "$CORVANE_DC_DOMAIN" \
    --realm "$CORVANE_DC_REALM" -A "$CORVANE_DC_AUTH_FILE" "$@"
}
net_rpc() {
  net rpc "$@" -S "$CORVANE_DC_HOST" -A "$CORVANE_DC_AUTH_FILE" \
    -s "$CORVANE_DC_CLIENT_CONF"
}
# samba-tool takes no authentication file: the same credentials, with the
# password in its environment rather than on the command line.
PASSWD=$(sed -n 's/^password *= *//p' "$CORVANE_DC_AUTH_FILE")
export PASSWD
admin=$(sed -n 's/^username *= *//p' "$CORVANE_DC_AUTH_FILE")
tool() {
  samba-tool "$@" -H "ldap://$CORVANE_DC_HOST" -U "$admin" \
    -s "$CORVANE_DC_CLIENT_CONF"
}
bulk_load() {  # USERS GROUPS
  /usr/bin/python3 "$root/tests/dc/bulk-accounts.py" "$CORVANE_DC_SMB_CONF" \
    bench "$1" "$2"
  if [[ -n ${CORVANE_DC2_HOST:-} ]]; then
    "$root/tests/dc/replicate.sh" "$CORVANE_DC2_DIR" \
      "${CORVANE_DC_NAME,,}.${CORVANE_DC_REALM,,}" >/dev/null 2>&1
  fi
}
# Every controller of the realm, found from the controllers' own DNS.
cv_located() {
  "$corvane" --domain "$CORVANE_DC_DOMAIN" --realm "$CORVANE_DC_REALM" \
    --dns-server "$CORVANE_DNS_SERVER" -A "$CORVANE_DC_AUTH_FILE" "$@"
}
# Each controller's lastLogon of every user, one search a controller.
ldbsearch_each() {
  local host
  for host in "$CORVANE_DC_HOST" "$CORVANE_DC2_HOST"; do
    ldbsearch -H "ldap://$host" -U "$admin" \
      --configfile="$CORVANE_DC_CLIENT_CONF" \
      -b "DC=${CORVANE_DC_REALM//./,DC=}" "(sAMAccountType=805306368)" \
      sAMAccountName lastLogon
  done
}

# Wall time of one run of a command in milliseconds (output discarded);
# fails when the command fails, so that no failure passes for a fast run.
time_ms() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>"$work/last.err" || {
    echo "$*: failed: $(head -c 300 "$work/last.err")" >&2
    return 1
  }
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
peak_kib() {
  /usr/bin/time -v "$@" 2>&1 >/dev/null |
    sed -n 's/.*Maximum resident set size (kbytes): //p'
}
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# pair LABEL GOAL PAIRS -- CORVANE_COMMAND... -- OTHER_COMMAND...
pair() {
  local label=$1 goal=$2 pairs=$3
  shift 3
  local -a mine=() other=()
  shift  # --
  while [[ $1 != -- ]]; do mine+=("$1"); shift; done
  shift
  other=("$@")
  local a b ratios=() as=() bs=()
  for ((r = 0; r < pairs; r++)); do
    if ! a=$(time_ms "${mine[@]}") || ! b=$(time_ms "${other[@]}"); then
      printf '%-58s failed\n' "$label"
      return 0
    fi
    as+=("$a") bs+=("$b")
    ratios+=("$(awk -v a="$a" -v b="$b" 'BEGIN{printf "%.3f", a / (b ? b : 1)}')")
  done
  printf '%-58s %7d ms %7d ms %6.2fx  (goal <= %s)\n' "$label" \
    "$(printf '%s\n' "${as[@]}" | median)" \
    "$(printf '%s\n' "${bs[@]}" | median)" \
    "$(printf '%s\n' "${ratios[@]}" | median)" "$goal"
}

# Checks once that a listing is whole.
expect_count() {  # MIN COMMAND...
  local min=$1 count
  shift
  count=$("$@" 2>/dev/null | grep -c . || true)
  if ((count < min)); then
    echo "$*: listed only $count (expected $min or more)" >&2
    exit 1
  fi
}

printf '%-58s %10s %10s %7s\n' measure corvane other ratio
for users in $sizes; do
  bulk_load "$users" $((users / 10)) >&2
  expect_count "$users" cv user list
  expect_count "$users" net_rpc user
  if [[ -z ${small_users:-} ]]; then
    small_users=$users
    small_kib=$(peak_kib "$corvane" --server "$CORVANE_DC_HOST" \
      --domain "$CORVANE_DC_DOMAIN" --realm "$CORVANE_DC_REALM" \
      -A "$CORVANE_DC_AUTH_FILE" user list)
  fi
  pair "user list vs net rpc user, $users users" \
    "$( ((users >= 5000)) && echo 0.2 || echo 0.45)" "$runs" \
    -- cv user list -- net_rpc user
  pair "group list vs net rpc group, $((users / 10)) groups" 0.8 "$runs" \
    -- cv group list -- net_rpc group
  pair "user list --disabled vs user list, $users users" 1.5 "$runs" \
    -- cv user list --disabled -- cv user list
  if [[ -n ${CORVANE_DC2_HOST:-} ]]; then
    expect_count "$users" cv_located user list --last-logon
    pair "user list --last-logon (2 DCs) vs user list, $users users" 2 \
      "$runs" -- cv_located user list --last-logon -- cv user list
    pair "user list --last-logon vs ldbsearch lastLogon of each DC" 0.5 \
      "$runs" -- cv_located user list --last-logon -- ldbsearch_each
  fi
done

# One group per user: naming the primary group must not cost more with
# more groups.
bulk_load 1000 1000 >&2
pair "user show vs net rpc user info, 1,000 groups" 0.6 "$runs" \
  -- cv user show bench00042 -- net_rpc user info bench00042

for n in $(seq 1 200); do printf 'user show bench%05d\n' "$n"; done \
  >"$work/batch.txt"
net_info_200() {
  for n in $(seq 1 200); do net_rpc user info "$(printf 'bench%05d' "$n")"; done
}
pair "200 user show in one batch vs 200 net rpc user info" 0.1 3 \
  -- cv batch "$work/batch.txt" -- net_info_200

# One run each: every run creates its accounts anew under other names.
{
  echo 'name,full name,comment,home dir,script,disabled,groups,password'
  for n in $(seq 1 "$import_rows"); do
    printf 'imp%05d,Imported %d,,,,no,benchg0001,Imp-%05d-Pw!x\n' "$n" "$n" "$n"
  done
} >"$work/import.csv"
chmod 600 "$work/import.csv"
net_import() {
  local name
  for n in $(seq 1 "$import_rows"); do
    name=$(printf 'nimp%05d' "$n")
    net_rpc user add "$name" && net_rpc user password "$name" \
      "$(printf 'Imp-%05d-Pw!x' "$n")" && net_rpc group addmem benchg0001 "$name"
  done
}
pair "user import of $import_rows rows vs net rpc add+password+addmem" 0.3 1 \
  -- cv user import "$work/import.csv" -- net_import

if [[ ${BENCH_MEMORY:-1} != 0 ]]; then
  bulk_load 40000 10000 >&2
  expect_count 40000 cv user list
  large=$(peak_kib "$corvane" --server "$CORVANE_DC_HOST" \
    --domain "$CORVANE_DC_DOMAIN" --realm "$CORVANE_DC_REALM" \
    -A "$CORVANE_DC_AUTH_FILE" user list)
  echo "peak RSS of user list: $small_kib KiB at $small_users users," \
    "$large KiB at 40,000 users ($(((large - small_kib) / 1024)) MiB more;" \
    "goal <= 5 MiB)"
  pair "group show among 10,000 groups vs samba-tool group show" - "$runs" \
    -- cv group show benchg5000 -- tool group show benchg5000
fi
