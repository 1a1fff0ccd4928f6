#!/usr/bin/env bash
# Builds Kuvaro a second time with AddressSanitizer (leak detection included)
# and UndefinedBehaviorSanitizer and runs every test under them, the
# end-to-end tests with the real program too. Every instrumented process,
# children of the test scripts included, writes its reports into one folder;
# any file there fails the run, even when the test that caused it passed.
#
#   tools/sanitize.sh [ctest arguments...]
#
# Build folder: build-asan (KUVARO_ASAN_BUILD overrides it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KUVARO_ASAN_BUILD:-$root/build-asan}"
"$root/tools/deps.sh"

# Warnings are the job of the plain build (tools/test.sh, with -Werror): GCC's
# flow-based warnings (array bounds, for one) misfire on instrumented code.
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKUVARO_WERROR=OFF \
  -DKUVARO_BUILD_BENCH=OFF \
  "-DCMAKE_CXX_FLAGS=$flags" "-DCMAKE_EXE_LINKER_FLAGS=$flags" "-DCMAKE_SHARED_LINKER_FLAGS=$flags"
cmake --build "$build" -j 2

reports="$build/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
# log_path makes each process write <prefix>.<pid>; a report of a child that a
# test script started and whose output it swallows still lands here.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=0:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:log_path=$reports/asan"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan"
export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"

status=0
(cd "$build" && ctest --output-on-failure --timeout 900 -j 2 "$@") || status=$?

shopt -s nullglob
found=("$reports"/*)
if [ ${#found[@]} -gt 0 ]; then
  for f in "${found[@]}"; do
    echo "==== $f"
    cat "$f"
  done
  echo "sanitize: ${#found[@]} sanitizer report(s) in $reports" >&2
  exit 1
fi
if [ "$status" -ne 0 ]; then
  echo "sanitize: tests failed under the sanitizers" >&2
  exit "$status"
fi
echo "sanitize: every test passed, no sanitizer report"
