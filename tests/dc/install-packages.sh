#!/usr/bin/env bash
# Installs what the throwaway domain controller and the Samba backend need,
# and leaves the machine's services as they were:
# - package scripts must not start daemons listening on every interface, so
#   a policy-rc.d that refuses all service starts is in place while apt-get
#   runs; afterwards the file it replaced comes back, or the one it wrote
#   goes, on every way out;
# - the Samba services that this install brought (samba-ad-dc, smbd, nmbd,
#   winbind) are disabled at boot: the controller is started by hand, in a
#   directory of its own (start-dc.sh).
# It prints what it changed. Quick when everything is already there.
#
# For tests of this script: CORVANE_POLICY_RC_D names another policy-rc.d,
# CORVANE_UNIT_DIR and CORVANE_INITD_DIR other service folders.
set -euo pipefail

# strace: the command-line session counts the connections a batch opens;
# python3-ldap3: what bench/python_compare.py compares the package with;
# ldb-tools: ldbsearch, a controller's own view of an account; the name
# service and resolver wrappers: two controllers side by side
# (with-dcs.sh).
readonly packages=(samba samba-ad-dc samba-ad-provision samba-dev smbclient
                   krb5-user strace python3-ldap3 ldb-tools libnss-wrapper
                   libresolv-wrapper)
readonly services=(samba-ad-dc smbd nmbd winbind)
readonly policy=${CORVANE_POLICY_RC_D:-/usr/sbin/policy-rc.d}
readonly unit_dir=${CORVANE_UNIT_DIR:-/lib/systemd/system}
readonly initd_dir=${CORVANE_INITD_DIR:-/etc/init.d}

say() { echo "install-packages.sh: $*"; }

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null |
      grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
if ((${#missing[@]} == 0)); then
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  say "root is needed to install: ${missing[*]}" >&2
  exit 1
fi

service_exists() {
  [[ -e $unit_dir/$1.service || -e $initd_dir/$1 ]]
}
present_before=()
for service in "${services[@]}"; do
  service_exists "$service" && present_before+=("$service")
done

# The policy in place during the install; the machine's own comes back.
saved_policy=$(mktemp)
had_policy=0
if [[ -e $policy ]]; then
  cp -p "$policy" "$saved_policy"
  had_policy=1
fi
restore_policy() {
  if ((had_policy)); then
    cp -p "$saved_policy" "$policy"
    say "put the machine's own $policy back"
  else
    rm -f "$policy"
    say "removed the $policy it had written"
  fi
  rm -f "$saved_policy"
}
trap restore_policy EXIT
printf '#!/bin/sh\n# No service starts from package scripts.\nexit 101\n' >"$policy"
chmod 0755 "$policy"

say "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

disabled=()
for service in "${services[@]}"; do
  [[ " ${present_before[*]} " == *" $service "* ]] && continue
  service_exists "$service" || continue
  if command -v systemctl >/dev/null; then
    systemctl disable --quiet "$service" 2>/dev/null || true
  fi
  if command -v update-rc.d >/dev/null && [[ -e $initd_dir/$service ]]; then
    update-rc.d "$service" disable >/dev/null 2>&1 || true
  fi
  disabled+=("$service")
done
if ((${#disabled[@]})); then
  say "disabled at boot, as this install brought them: ${disabled[*]}"
fi
