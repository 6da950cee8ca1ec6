#!/usr/bin/env bash
# Listing every user of a real domain with Corvane, as whole processes,
# against Samba's own tools on the same controller and the same 1,000
# users: `corvane user list`, `net rpc user` and `samba-tool user list`.
# Prints each command's mean time and Corvane's ratio to each. Starts its
# own throwaway controller (run as root, after a build with
# CORVANE_WITH_SAMBA=ON, e.g. by cli/run-demo.sh or tests/run-all.sh).
#
#   bench/compare-listing.sh [PATH/TO/corvane] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
corvane=${1:-$root/build/normal/cli/corvane}
runs=${2:-20}
users=1000

if [[ -z ${CORVANE_DC_HOST:-} ]]; then
  exec "$root/tests/dc/with-dc.sh" "$0" "$corvane" "$runs"
fi

cv() {
  "$corvane" --server "$CORVANE_DC_HOST" --domain "$CORVANE_DC_DOMAIN" \
    --realm "$CORVANE_DC_REALM" -A "$CORVANE_DC_AUTH_FILE" "$@"
}

existing=$(cv user list | wc -l)
echo "creating $((users - existing)) users (the domain has $existing)..." >&2
export -f cv
export corvane
seq -f '%04g' "$existing" $((users - 1)) |
  xargs -P 4 -I{} bash -c 'echo "Bench-{}-Pw!" | cv user add "bench{}" >/dev/null'


# Mean wall time of `runs` runs of a command, in milliseconds; its output
# must list the users (checked once).
mean_ms() {
  local start end
  start=$(date +%s%N)
  for ((r = 0; r < runs; r++)); do "$@" >/dev/null 2>&1; done
  end=$(date +%s%N)
  echo $(((end - start) / runs / 1000000))
}

corvane_cmd=(cv user list)
net_cmd=(net rpc user -S "$CORVANE_DC_HOST" -A "$CORVANE_DC_AUTH_FILE"
         -s "$CORVANE_DC_CLIENT_CONF")
# samba-tool takes no authentication file: the same credentials, with the
# password in its environment rather than on the command line.
PASSWD=$(sed -n 's/^password *= *//p' "$CORVANE_DC_AUTH_FILE")
export PASSWD
tool_cmd=(samba-tool user list -H "ldap://$CORVANE_DC_HOST"
          -U "$(sed -n 's/^username *= *//p' "$CORVANE_DC_AUTH_FILE")"
          -s "$CORVANE_DC_CLIENT_CONF")

for name in corvane_cmd net_cmd tool_cmd; do
  declare -n command=$name
  count=$("${command[@]}" 2>/dev/null | grep -c . || true)
  if ((count < users)); then
    echo "${command[0]} ${command[1]}: listed only $count users" >&2
    exit 1
  fi
done

corvane_ms=$(mean_ms "${corvane_cmd[@]}")
net_ms=$(mean_ms "${net_cmd[@]}")
tool_ms=$(mean_ms "${tool_cmd[@]}")
echo "listing $users users, mean of $runs runs:"
printf '  corvane user list     %5d ms\n' "$corvane_ms"
printf '  net rpc user          %5d ms   corvane is %s times as fast\n' \
  "$net_ms" "$(awk -v a="$net_ms" -v b="$corvane_ms" 'BEGIN{printf "%.1f", a/(b?b:1)}')"
printf '  samba-tool user list  %5d ms   corvane is %s times as fast\n' \
  "$tool_ms" "$(awk -v a="$tool_ms" -v b="$corvane_ms" 'BEGIN{printf "%.1f", a/(b?b:1)}')"
