#!/usr/bin/env bash
# The install scripts, with stand-ins for apt-get, dpkg-query (nothing is
# installed), id and sudo on PATH, and a temporary policy file:
# - install-build-deps.sh says what is missing and why, and installs it
#   through sudo when not root;
# - install-packages.sh leaves the machine's policy-rc.d as it found it,
#   after a failed install as after a good one, refuses service starts while
#   apt-get runs, and disables at boot the Samba services that the install
#   brought (the stand-in apt-get brings smbd and nmbd), no other.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
script=$here/dc/install-packages.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
cat >"$work/bin/dpkg-query" <<'FAKE'
#!/bin/sh
exit 1
FAKE
cat >"$work/bin/id" <<'FAKE'
#!/bin/sh
echo "${FAKE_UID:-0}"
FAKE
cat >"$work/bin/sudo" <<'FAKE'
#!/bin/sh
echo "sudo $*" >>"$FAKE_SUDO_LOG"
FAKE
cat >"$work/bin/systemctl" <<'FAKE'
#!/bin/sh
echo "systemctl $*" >>"$FAKE_SUDO_LOG"
FAKE
cat >"$work/bin/apt-get" <<'FAKE'
#!/bin/sh
[ "$1" = install ] || exit 0
cat "$CORVANE_POLICY_RC_D" >"$FAKE_SEEN"
[ "${FAKE_APT_STATUS:-0}" = 0 ] || exit "$FAKE_APT_STATUS"
touch "$CORVANE_UNIT_DIR/smbd.service" "$CORVANE_UNIT_DIR/nmbd.service"
FAKE
chmod +x "$work/bin/"*
mkdir "$work/units" "$work/init.d"
touch "$work/units/winbind.service"
export PATH="$work/bin:$PATH" CORVANE_POLICY_RC_D=$work/policy-rc.d \
  CORVANE_UNIT_DIR=$work/units CORVANE_INITD_DIR=$work/init.d \
  FAKE_SEEN=$work/seen FAKE_SUDO_LOG=$work/sudo.log

fail() {
  echo "install_scripts_test: FAILED: $*" >&2
  exit 1
}

FAKE_UID=1000 "$here/install-build-deps.sh" --command >"$work/out" 2>&1 ||
  fail "install-build-deps.sh: $(cat "$work/out")"
grep -q "building the corvane command needs .* missing: cmake g++ make" "$work/out" ||
  fail "not said what is missing and why: $(cat "$work/out")"
grep -q "^sudo env DEBIAN_FRONTEND=noninteractive apt-get install .* cmake g++ make pkg-config libcli11-dev nlohmann-json3-dev libsimdjson-dev$" \
  "$work/sudo.log" || fail "not installed through sudo: $(cat "$work/sudo.log")"

# No policy before, and the install fails: none after.
if FAKE_APT_STATUS=100 "$script" >"$work/out" 2>&1; then
  fail "a failed install was reported as success"
fi
grep -qx 'exit 101' "$work/seen" || fail "service starts allowed during install"
[[ ! -e $CORVANE_POLICY_RC_D ]] || fail "its own policy-rc.d was left behind"
grep -q "removed the $CORVANE_POLICY_RC_D" "$work/out" || fail "not said: $(cat "$work/out")"

# The machine's own policy is put back as it was.
printf '#!/bin/sh\nexit 0\n' >"$CORVANE_POLICY_RC_D"
cp "$CORVANE_POLICY_RC_D" "$work/original"
FAKE_APT_STATUS=0 "$script" >"$work/out" 2>&1 || fail "install: $(cat "$work/out")"
grep -qx 'exit 101' "$work/seen" || fail "service starts allowed during install"
cmp -s "$work/original" "$CORVANE_POLICY_RC_D" || fail "the machine's policy-rc.d changed"
disabled=$(awk '$2 == "disable" {print $NF}' "$work/sudo.log" | sort | paste -sd' ')
[[ $disabled == 'nmbd smbd' ]] || fail "disabled at boot: '$disabled', expected 'nmbd smbd'"
grep -q "disabled at boot.*: smbd nmbd" "$work/out" || fail "not said: $(cat "$work/out")"
echo "install_scripts_test: passed"
