#!/usr/bin/env bash
# Installs what is needed, builds, and runs the demo session against the
# simulated controller.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tests/install-build-deps.sh"
cmake -S "$root" -B "$root/build/normal" -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$root/build/normal" -j "$(nproc)" --target corvane_demo
"$root/build/normal/cli/corvane_demo"
