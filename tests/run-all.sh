#!/usr/bin/env bash
# The whole test suite: installs what is needed, checks formatting, then
# builds three times with warnings as errors (Debug; AddressSanitizer +
# UndefinedBehaviorSanitizer with leak checking; Release) and runs every
# test in the first two, the integration suite against a throwaway Samba
# domain controller included, the unit suite under valgrind (which also
# sees reads of uninitialised memory), and the unit suite in Release;
# builds the Debian packages (corvane, python3-corvane) and checks them,
# installing both with apt and removing them again; checks the set-up
# scripts; then cross-builds the Windows COM server and runs its clients
# under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

tests/install-build-deps.sh
tests/dc/install-packages.sh

# A warm compiler cache makes a rerun on the same machine quick.
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR=$root
fi

echo "== clang-format"
mapfile -t sources < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h')
clang-format --dry-run --Werror "${sources[@]}"

jobs=$(nproc)
build() {
  local name=$1 type=$2
  shift 2
  echo "== build: $name"
  cmake -S "$root" -B "$root/build/$name" -DCMAKE_BUILD_TYPE="$type" \
    -DCORVANE_WITH_SAMBA=ON -DCORVANE_WERROR=ON \
    -DPython3_EXECUTABLE=/usr/bin/python3 "$@" >/dev/null
  cmake --build "$root/build/$name" -j "$jobs"
}
run_tests() {
  local name=$1
  shift
  echo "== tests: $name"
  (cd "$root/build/$name" && ctest --output-on-failure -j "$jobs" "$@")
}

build normal Debug
run_tests normal

echo "== two controllers: location from DNS and failover"
tests/dc/with-dcs.sh tests/integration/controllers_test.sh \
  "$root/build/normal/cli/corvane"

echo "== python: pytest on the Debug build's package"
PYTHONPATH="$root/build/normal/python" /usr/bin/python3 -m pytest -q \
  -p no:cacheprovider "$root/tests/python"

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
  build sanitize Debug -DCORVANE_SANITIZE=ON
# Samba's directory modules are loaded with RTLD_DEEPBIND unless told
# otherwise, which the sanitizer runtime refuses.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LDB_MODULES_DISABLE_DEEPBIND=1 \
  run_tests sanitize

echo "== python: pytest under AddressSanitizer (no leak check: the interpreter)"
# The C++ runtime preloaded with the sanitizer, whose exception interceptor
# needs it; the memory bound is left to the Debug run (the sanitizer keeps
# freed blocks in quarantine).
PYTHONPATH="$root/build/sanitize/python" \
LD_PRELOAD="$(gcc -print-file-name=libasan.so) $(gcc -print-file-name=libstdc++.so)" \
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LDB_MODULES_DISABLE_DEEPBIND=1 \
  /usr/bin/python3 -m pytest -q -p no:cacheprovider "$root/tests/python" \
  --deselect tests/python/test_threads.py::test_ten_thousand_calls_keep_memory_bounded

# What users run: the optimised build, its unit suite and its package.
build release Release
run_tests release -LE integration
echo "== Debian packages"
rm -f "$root"/build/release/corvane_*.deb "$root"/build/release/python3-corvane_*.deb
(cd "$root/build/release" && cpack -G DEB >/dev/null)
packaging/check-package.sh "$root"/build/release/corvane_*.deb
packaging/check-python-package.sh "$root"/build/release/corvane_*.deb \
  "$root"/build/release/python3-corvane_*.deb

echo "== set-up scripts"
tests/install_scripts_test.sh
tests/setup_scripts_test.sh

echo "== Windows server under Wine"
tests/wine/run-wine-tests.sh
