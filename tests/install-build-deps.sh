#!/usr/bin/env bash
# Installs the Debian 12 packages that are missing, after saying which and
# why; with sudo when not root. Quick when everything is already there.
#
#   install-build-deps.sh            the build, the test suite and the
#                                    package check
#   install-build-deps.sh --command  only what building the corvane command
#                                    needs (the simulated controller's quick try)
#   install-build-deps.sh --demo     that, and ss for the real demo's check
#                                    of the host
set -euo pipefail

command_packages=(cmake g++ make pkg-config libcli11-dev nlohmann-json3-dev
  libsimdjson-dev)
suite_packages=(googletest libgtest-dev libgmock-dev
                pybind11-dev python3-dev python3-pytest python3-mypy
                libbenchmark-dev clang-format help2man dpkg-dev file lintian
                iproute2 valgrind ccache)
case ${1:-} in
  --command)
    packages=("${command_packages[@]}")
    why="building the corvane command"
    ;;
  --demo)
    packages=("${command_packages[@]}" iproute2)
    why="building the corvane command and checking the host's ports"
    ;;
  "")
    packages=("${command_packages[@]}" "${suite_packages[@]}")
    why="building Corvane, its man page and package, and running its tests"
    ;;
  *)
    echo "usage: $0 [--command | --demo]" >&2
    exit 2
    ;;
esac
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
    missing+=("$package")
done
((${#missing[@]})) || exit 0

echo "install-build-deps.sh: $why needs these Debian packages, which are" \
  "missing: ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  if ! command -v sudo >/dev/null; then
    echo "install-build-deps.sh: not root and no sudo; as root, run:" \
      "apt-get install ${missing[*]}" >&2
    exit 1
  fi
  sudo_cmd=(sudo)
fi
echo "install-build-deps.sh: installing them with apt-get"
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -q --no-install-recommends "${missing[@]}"
