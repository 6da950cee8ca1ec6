#!/usr/bin/env bash
# Runs a command with a throwaway domain controller up, and stops the
# controller on every way out (normal end, failure, interrupt). The command
# sees the controller's description (CORVANE_DC_* variables, see
# start-dc.sh) in its environment, and its exit status is this script's.
#
#   with-dc.sh COMMAND [ARG...]
#
# CORVANE_DC_KEEP_DIR=1 keeps the controller's directory for inspection.
#
# Controllers on one machine disturb each other (ports, shared sockets,
# load), so one run at a time: the others wait for the machine-wide lock
# CORVANE_DC_LOCK (default /tmp/corvane-dc-stage.lock).
set -euo pipefail

if (($# == 0)); then
  echo "usage: $0 COMMAND [ARG...]" >&2
  exit 2
fi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [[ -z ${CORVANE_DC_LOCK_HELD:-} ]]; then
  exec {lock_fd}>"${CORVANE_DC_LOCK:-/tmp/corvane-dc-stage.lock}"
  flock "$lock_fd"
  export CORVANE_DC_LOCK_HELD=1
fi
dc_dir=$(mktemp -d "${TMPDIR:-/tmp}/corvane-dc.XXXXXX")

cleanup() {
  local status=$?
  trap - EXIT INT TERM
  "$here/stop-dc.sh" "$dc_dir" || true
  if [[ ${CORVANE_DC_KEEP_DIR:-0} == 1 ]]; then
    echo "with-dc.sh: controller directory kept: $dc_dir" >&2
  else
    rm -rf "$dc_dir"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

"$here/start-dc.sh" "$dc_dir"
set -a
# shellcheck source=/dev/null
source "$dc_dir/dc.env"
set +a
"$@"
