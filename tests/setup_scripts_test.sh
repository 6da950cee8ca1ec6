#!/usr/bin/env bash
# The set-up scripts as a user meets them (run as root, for the listener on
# a low port and for the switch to an unprivileged user):
# - the real demo's host check refuses an address whose controller ports are
#   taken, and accepts a free one;
# - the quick try (cli/run-demo.sh --simulate) runs as an unprivileged user
#   and shows each command as it runs it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
listener=
cleanup() {
  [[ -z $listener ]] || kill "$listener" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "setup_scripts_test: FAILED: $*" >&2
  exit 1
}

readonly free_ip=127.0.0.251 taken_ip=127.0.0.252
CORVANE_DC_IP=$free_ip "$root/tests/dc/check-host-free.sh" ||
  fail "a free address was refused"
python3 -c '
import socket, sys, time
listening = socket.socket()
listening.bind((sys.argv[1], 389))
listening.listen()
print("ready", flush=True)
time.sleep(120)' "$taken_ip" >"$work/listener" &
listener=$!
for _ in $(seq 50); do
  [[ -s $work/listener ]] && break
  sleep 0.1
done
if CORVANE_DC_IP=$taken_ip "$root/tests/dc/check-host-free.sh" 2>"$work/refusal"; then
  fail "a taken port was not refused"
fi
grep -q "listens on $taken_ip port 389" "$work/refusal" ||
  fail "refusal does not say why: $(cat "$work/refusal")"

# The quick try as nobody, building into a folder of its own.
mkdir "$work/home"
chmod 0755 "$work"
chown nobody "$work/home"
setpriv --reuid=nobody --regid=nogroup --clear-groups \
  env HOME="$work/home" CORVANE_DEMO_BUILD_DIR="$work/home/build" \
  "$root/cli/run-demo.sh" --simulate >"$work/demo" 2>&1 ||
  fail "the quick try failed as nobody: $(tail -20 "$work/demo")"
expect_line() {
  grep -qxF -- "$1" "$work/demo" || fail "no line '$1' in: $(cat "$work/demo")"
}
expect_line "\$ printf '%s\\n' Demo-Pass-2 | corvane --simulate demo.json --domain CORVANE --audit - user add dana --full-name 'Dana Diaz' --comment Engineer"
expect_line "\$ corvane --simulate demo.json --domain CORVANE --audit - --log-level full user set dana --home-dir '\\\\FS1\\home\\dana'"
expect_line "dana"
echo "setup_scripts_test: passed"
