#!/usr/bin/env bash
# The main job: builds the corvane command, starts a throwaway Samba domain
# controller on 127.0.0.2 (CORVANE_DC_IP names another 127.0.0.x) and runs a
# short real session against it (groups and users created, members added,
# listed, changed, disabled, SIDs read, everything deleted), printing each
# command as it runs it; the controller is stopped on every way out. It
# installs the missing build dependencies and Samba's packages (root, or
# sudo, is needed only then) and refuses to run when the host already runs
# a Samba or AD service or uses the controller's ports.
#
#   cli/run-demo.sh              the real session
#   cli/run-demo.sh --simulate   a quick try without a controller: needs
#                                no root, no Samba and no controller
#
# The build goes to build/demo (build/demo-simulate), or CORVANE_DEMO_BUILD_DIR.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=../tests/cli/show-command.sh
source "$root/tests/cli/show-command.sh"

simulate=0
case ${1:-} in
  "") ;;
  --simulate) simulate=1 ;;
  *)
    echo "usage: $0 [--simulate]" >&2
    exit 2
    ;;
esac

if ((simulate)); then
  "$root/tests/install-build-deps.sh" --command
  build=${CORVANE_DEMO_BUILD_DIR:-$root/build/demo-simulate}
  with_samba=OFF
else
  "$root/tests/install-build-deps.sh" --demo
  "$root/tests/dc/check-host-free.sh"
  "$root/tests/dc/install-packages.sh"
  build=${CORVANE_DEMO_BUILD_DIR:-$root/build/demo}
  with_samba=ON
fi
echo "Building the corvane command in $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCORVANE_WITH_SAMBA=$with_samba -DCORVANE_TESTS=OFF -DCORVANE_BENCH=OFF \
  >/dev/null
cmake --build "$build" -j "$(nproc)" --target corvane_cli >/dev/null
corvane=$build/cli/corvane

if ((!simulate)); then
  exec "$root/tests/dc/with-dc.sh" "$root/tests/cli/dc_session.sh" "$corvane"
fi

# The session runs in a temporary folder, with the command on PATH, so each
# line it shows can be copied as it is.
state=$(mktemp -d "${TMPDIR:-/tmp}/corvane-demo.XXXXXX")
trap 'rm -rf "$state"' EXIT
cd "$state"
export PATH="$build/cli:$PATH"
echo "In $state, with $build/cli on PATH:"
run() {
  local input=()
  if [[ $1 == --input ]]; then
    input=("$1" "$2")
    shift 2
  fi
  local command=(corvane --simulate demo.json --domain CORVANE --audit - "$@")
  show_command "${input[@]}" "${command[@]}"
  if ((${#input[@]})); then
    printf '%s\n' "${input[1]}" | "${command[@]}"
  else
    "${command[@]}"
  fi
}
run user list
run group add Engineering --comment "Product engineering"
run --input Demo-Pass-2 user add dana --full-name "Dana Diaz" --comment "Engineer"
run group add-member Engineering dana
run group members Engineering
run --log-level full user set dana --home-dir '\\FS1\home\dana'
run user show dana
run user disable dana
run user sid dana
run invoke 'Users.sUserName=dana' 'Users.bDisabled' 'Groups.Enumerate()'
run user delete dana
run group delete Engineering
