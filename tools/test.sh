#!/usr/bin/env bash
# Builds Kuvaro with warnings as errors and runs every test: unit and GUI tests
# under the offscreen platform, end-to-end tests under their own Xvfb.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/deps.sh"
build="$root/build-test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKUVARO_WERROR=ON
cmake --build "$build"
cd "$build"
ctest --output-on-failure --timeout 600 -j "$(nproc)" "$@"
