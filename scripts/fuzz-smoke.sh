#!/usr/bin/env bash
# Builds the libFuzzer targets (preset linux-fuzz: clang, AddressSanitizer + UBSan) and runs each one for
# a bounded time over a copy of its committed seed corpus. Fails on any crash, sanitizer report, broken
# invariant, leak or timeout; the input that caused it is kept under build/linux-fuzz/fuzz-artifacts/.
#   KVT_FUZZ_SECONDS  seconds per target (default 20)
#   KVT_JOBS          build jobs (default: the number of cores)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${KVT_FUZZ_SECONDS:-20}
jobs=${KVT_JOBS:-$(nproc)}
targets=(plugin_request_fuzz captured_packet_fuzz ini_document_fuzz list_file_fuzz kernel_table_fuzz)

cmake --preset linux-fuzz >/dev/null
cmake --build --preset linux-fuzz -j "$jobs"

artifacts=build/linux-fuzz/fuzz-artifacts
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=()
for target in "${targets[@]}"; do
    # The fuzzer adds what it finds to its corpus folder: it works on a copy.
    corpus="$work/$target"
    mkdir -p "$corpus"
    cp tests/fuzz/corpus/"$target"/* "$corpus"/
    log="$work/$target.log"
    printf '== %s (%d s)\n' "$target" "$seconds"
    if build/linux-fuzz/tests/fuzz/"$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$artifacts/$target-" "$corpus" >"$log" 2>&1; then
        grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true
    else
        tail -n 40 "$log" >&2
        failed+=("$target")
    fi
done

if ((${#failed[@]})); then
    echo "fuzz targets failed: ${failed[*]} (inputs in $artifacts)" >&2
    exit 1
fi
echo "every fuzz target ran ${seconds} s without a finding"
