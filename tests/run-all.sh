#!/usr/bin/env bash
# The whole test suite: installs what is needed, checks formatting, then
# builds twice (warnings as errors; AddressSanitizer + UndefinedBehavior-
# Sanitizer with leak checking) and runs every test in both builds, the
# integration suite against a throwaway Samba domain controller included;
# runs the unit suite under valgrind, which also sees reads of
# uninitialised memory (about three minutes); then cross-builds the Windows COM server and runs its clients under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

tests/install-build-deps.sh
tests/dc/install-packages.sh

echo "== clang-format"
mapfile -t sources < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h')
clang-format --dry-run --Werror "${sources[@]}"

jobs=$(nproc)
run_build() {
  local name=$1
  shift
  echo "== build: $name"
  cmake -S "$root" -B "$root/build/$name" -DCMAKE_BUILD_TYPE=Debug \
    -DCORVANE_WITH_SAMBA=ON "$@" >/dev/null
  cmake --build "$root/build/$name" -j "$jobs"
  echo "== tests: $name"
  (cd "$root/build/$name" && ctest --output-on-failure -j "$jobs")
}

run_build normal

echo "== valgrind: unit suite"
valgrind_log=$(mktemp)
if ! valgrind -q --error-exitcode=99 "$root/build/normal/tests/corvane_tests" \
  >"$valgrind_log" 2>&1; then
  cat "$valgrind_log"
  rm -f "$valgrind_log"
  exit 1
fi
rm -f "$valgrind_log"

ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_build sanitize -DCORVANE_SANITIZE=ON

echo "== Windows server under Wine"
tests/wine/run-wine-tests.sh
