#!/usr/bin/env bash
# Installs what the throwaway domain controller and the Samba backend need.
# Package scripts must not start daemons listening on every interface, so a
# policy-rc.d that refuses all service starts is put in place first.
# Quick when everything is already there.
set -euo pipefail

readonly packages=(samba samba-ad-dc samba-ad-provision samba-dev smbclient krb5-user)

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
  echo "install-packages.sh: root is needed to install: ${missing[*]}" >&2
  exit 1
fi

policy=/usr/sbin/policy-rc.d
if [[ ! -e $policy ]] || ! grep -q 'exit 101' "$policy"; then
  printf '#!/bin/sh\n# No service starts from package scripts.\nexit 101\n' >"$policy"
  chmod 0755 "$policy"
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
