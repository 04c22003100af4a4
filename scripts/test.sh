#!/usr/bin/env bash
# Builds every target and runs every test suite:
#   Linux unit tests under AddressSanitizer + UBSan, and again under ThreadSanitizer, with one
#   end-to-end test of the monitor under ThreadSanitizer;
#   the 64-bit Windows build's tests under Wine (with Xvfb);
#   the Linux release build with the benchmarks (built, not run: figures are not pass/fail) and its
#   end-to-end tests on real traffic between network namespaces (as root, one at a time, ~5 minutes);
#   the libFuzzer targets (clang, AddressSanitizer + UBSan), 20 s each over their seed corpora;
#   the 32-bit Windows product build, checked to be PE32 (i686).
# Run scripts/install-deps.sh first (as root) on a fresh machine.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${KVT_JOBS:-$(nproc)}

step() { printf '\n== %s (%s)\n' "$1" "$(date +%T)"; }
started=$SECONDS

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}

step "Linux, AddressSanitizer + UBSan: build"
cmake --preset linux-asan >/dev/null
cmake --build --preset linux-asan -j "$jobs"
step "Linux, AddressSanitizer + UBSan: unit tests"
ctest --preset linux-asan -L unit -j "$jobs"

step "Linux, ThreadSanitizer: build"
cmake --preset linux-tsan >/dev/null
cmake --build --preset linux-tsan -j "$jobs"
step "Linux, ThreadSanitizer: unit tests"
ctest --preset linux-tsan -L unit -j "$jobs"
# The real monitor's threads on real traffic: one end-to-end test of the ThreadSanitizer build (the
# build above made the monitor and the console). A report fails it.
step "Linux, ThreadSanitizer: end-to-end test of the monitor's life"
ctest --preset linux-tsan -L e2e -R '^e2e_lifecycle$'

step "Linux, release: build (with the benchmarks)"
cmake --preset linux-release >/dev/null
cmake --build --preset linux-release -j "$jobs"
step "Linux, release: end-to-end tests"
ctest --preset linux-release -L e2e

step "Linux, libFuzzer targets: build and a short run of each"
KVT_JOBS=$jobs scripts/fuzz-smoke.sh

step "Windows 64-bit: build"
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$jobs"
step "Windows 64-bit: tests under Wine"
ctest --preset win64 -L wine

step "Windows 32-bit (the product): build"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs"
for exe in build/win32/tests/kvt_tests.exe build/win32/src/app/kvtmon.exe; do
    file "$exe" | grep -q 'PE32 executable.*Intel 80386' || { echo "$exe is not a PE32 i686 binary" >&2; exit 1; }
    echo "$exe: PE32 (i686)"
done

printf '\nAll builds and tests passed in %d s.\n' $((SECONDS - started))
