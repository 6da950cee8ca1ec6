#!/usr/bin/env bash
# `user show` on a simulated state of 100,000 users: the time of one
# command (median of RUNS) and whether the state file is left byte for byte
# as it was. A read writes nothing, so it should take well under a second
# and leave the file identical. Best run on a Release build.
#
#   bench/read-large-state.sh [PATH/TO/corvane] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
corvane=${1:-$root/build/release/cli/corvane}
runs=${2:-5}
users=${BENCH_USERS:-100000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
state=$work/state.json

# The first command makes the demo domain with as many users as asked.
CORVANE_SIMULATED_USERS=$users "$corvane" --simulate "$state" \
  --domain CORVANE user list >/dev/null
before=$(sha256sum <"$state")
times=()
for ((i = 0; i < runs; ++i)); do
  start=$(date +%s.%N)
  "$corvane" --simulate "$state" --domain CORVANE user show alice >/dev/null
  end=$(date +%s.%N)
  times+=("$(echo "$end - $start" | bc)")
done
after=$(sha256sum <"$state")
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
printf 'users: %s  state file: %s bytes  user show median: %.3f s\n' \
  "$users" "$(stat -c %s "$state")" "$median"
if [[ $before == "$after" ]]; then
  echo "state file byte-identical: yes"
else
  echo "state file byte-identical: NO"
  exit 1
fi
