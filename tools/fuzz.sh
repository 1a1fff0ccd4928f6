#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (kuvaro_core instrumented as well)
# and runs each of them for a while on a copy of its seed corpus in
# fuzz/corpus/<target>. Any crash, sanitizer report, broken invariant, leak,
# timeout or running out of memory fails the run; the input that did it is
# kept under build-fuzz/artifacts/<target>/.
#
#   tools/fuzz.sh [seconds per target, default 60]
#
# Build folder: build-fuzz (KUVARO_FUZZ_BUILD overrides it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KUVARO_FUZZ_BUILD:-$root/build-fuzz}"
seconds="${1:-60}"
targets=(bmpreader calibration results)
"$root/tools/deps.sh"

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKUVARO_BUILD_FUZZ=ON -DKUVARO_BUILD_TESTS=OFF -DKUVARO_BUILD_BENCH=OFF \
  "-DCMAKE_CXX_FLAGS=$flags" "-DCMAKE_EXE_LINKER_FLAGS=$flags"
cmake --build "$build" -j 2 --target kuvaro_fuzz

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"

failed=()
for t in "${targets[@]}"; do
  work="$build/run/$t"
  artifacts="$build/artifacts/$t"
  rm -rf "$work"
  mkdir -p "$work" "$artifacts"
  cp "$root/fuzz/corpus/$t"/* "$work/"
  echo "== fuzz_$t for ${seconds}s on $(ls "$work" | wc -l) seeds"
  status=0
  "$build/bin/fuzz_$t" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$work" >"$build/run/$t.log" 2>&1 || status=$?
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' "$build/run/$t.log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$build/run/$t.log"
    echo "fuzz: fuzz_$t failed (exit $status); input kept in $artifacts" >&2
    failed+=("$t")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: failed: ${failed[*]}" >&2
  exit 1
fi
echo "fuzz: every target ran ${seconds}s without a finding"
