#!/usr/bin/env bash
# Builds Kuvaro and starts it. The open dialog starts in the program's folder,
# where the sample diagram Beispieldiagramm.bmp lies.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKUVARO_BUILD_TESTS=OFF -DKUVARO_BUILD_BENCH=OFF
cmake --build "$root/build" --target kuvaro
exec "$root/build/bin/kuvaro"
