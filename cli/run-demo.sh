#!/usr/bin/env bash
# The main job: installs what is needed, builds the corvane command, starts
# a throwaway Samba domain controller on 127.0.0.2 and runs a short real
# session against it (groups and users created, members added, listed,
# changed, disabled, SIDs read, everything deleted), printing each command;
# the controller is stopped on every way out.
#
#   cli/run-demo.sh              the real session
#   cli/run-demo.sh --simulate   a quick try without a controller
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tests/install-build-deps.sh"
"$root/tests/dc/install-packages.sh"
cmake -S "$root" -B "$root/build/normal" -DCMAKE_BUILD_TYPE=Debug \
  -DCORVANE_WITH_SAMBA=ON >/dev/null
cmake --build "$root/build/normal" -j "$(nproc)" --target corvane_cli
corvane=$root/build/normal/cli/corvane

if [[ ${1:-} != --simulate ]]; then
  exec "$root/tests/dc/with-dc.sh" "$root/tests/cli/dc_session.sh" "$corvane"
fi

state=$(mktemp -d "${TMPDIR:-/tmp}/corvane-demo.XXXXXX")
trap 'rm -rf "$state"' EXIT
run() {
  echo "\$ corvane $*"
  "$corvane" --simulate "$state/demo.json" --domain CORVANE --audit - "$@"
}
run user list
run group add Engineering --comment "Product engineering"
echo 'Demo-Pass-2' | run user add dana --full-name "Dana Diaz" --comment "Engineer"
run group add-member Engineering dana
run group members Engineering
run --log-level full user set dana --home-dir '\\FS1\home\dana'
run user show dana
run user disable dana
run user sid dana
run invoke 'Users.sUserName=dana' 'Users.bDisabled' 'Groups.Enumerate()'
run user delete dana
run group delete Engineering
