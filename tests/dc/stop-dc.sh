#!/usr/bin/env bash
# Stops the controller that start-dc.sh started in DIR: SIGTERM to the saved
# pid (samba renames its processes, so it is never looked up by name), then
# waits for it and its children to go, with SIGKILL as the last resort.
#
#   stop-dc.sh DIR
set -euo pipefail

if (($# != 1)); then
  echo "usage: $0 DIR" >&2
  exit 2
fi
pid_file=$1/samba.pid
[[ -s $pid_file ]] || exit 0
pid=$(cat "$pid_file")

if kill -0 "$pid" 2>/dev/null; then
  kill -TERM "$pid" 2>/dev/null || true
  for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    echo "stop-dc.sh: samba ($pid) ignored SIGTERM, killing it" >&2
    kill -KILL "$pid" 2>/dev/null || true
  fi
fi
rm -f "$pid_file"
