#!/usr/bin/env bash
# Installs the packages the build and the unit suite need (Debian 12).
# Quick when everything is already there.
set -euo pipefail

packages=(cmake g++ make pkg-config googletest libgtest-dev libgmock-dev
          libbenchmark-dev clang-format libcli11-dev nlohmann-json3-dev
          valgrind)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
    missing+=("$package")
done
if ((${#missing[@]})); then
  sudo_cmd=""
  [[ $(id -u) -eq 0 ]] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
