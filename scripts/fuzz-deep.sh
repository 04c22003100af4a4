#!/usr/bin/env bash
# Long libFuzzer runs, by hand (CI runs the short scripts/fuzz-smoke.sh). Builds the preset linux-fuzz,
# then runs each target in turn, alone on one core, until it has made --runs executions or spent
# --minutes, over a copy of its committed seed corpus. What the fuzzer adds stays in a scratch folder
# under build/; a crashing input goes to build/linux-fuzz/fuzz-deep-artifacts/. Prints per target the
# executions, exec/s, coverage (libFuzzer's cov: and ft:), corpus size and crashes, then a Markdown table.
#   --runs N        executions per target (default 10000000)
#   --minutes M     minutes per target (default 30)
#   --only TARGET   run this target only (repeatable)
#   --scratch DIR   where the working corpora and logs go (default build/linux-fuzz/fuzz-deep/<time>)
#   --no-build      use the fuzz binaries already built
#   KVT_JOBS        build jobs (default: the number of cores)
# Exits 1 if any target crashed, leaked, timed out or broke an invariant.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

all_targets=(plugin_request_fuzz captured_packet_fuzz ini_document_fuzz list_file_fuzz kernel_table_fuzz)
runs=10000000
minutes=30
scratch=
build=1
targets=()

usage() {
    sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
}
while (($#)); do
    case $1 in
    --runs) runs=${2:?}; shift 2 ;;
    --minutes) minutes=${2:?}; shift 2 ;;
    --only) targets+=("${2:?}"); shift 2 ;;
    --scratch) scratch=${2:?}; shift 2 ;;
    --no-build) build=0; shift ;;
    -h | --help) usage ;;
    *) echo "unknown option: $1" >&2; usage ;;
    esac
done
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "--runs wants a positive whole number" >&2; exit 2; }
[[ $minutes =~ ^[0-9]+([.][0-9]+)?$ ]] || { echo "--minutes wants a number" >&2; exit 2; }
seconds=$(awk -v m="$minutes" 'BEGIN { s = int(m * 60 + 0.5); print (s < 1 ? 1 : s) }')
((${#targets[@]})) || targets=("${all_targets[@]}")
for target in "${targets[@]}"; do
    [[ " ${all_targets[*]} " == *" $target "* ]] || { echo "no such target: $target (${all_targets[*]})" >&2; exit 2; }
done

if ((build)); then
    jobs=${KVT_JOBS:-$(nproc)}
    cmake --preset linux-fuzz >/dev/null
    cmake --build --preset linux-fuzz -j "$jobs"
fi

bin=$root/build/linux-fuzz/tests/fuzz
artifacts=$root/build/linux-fuzz/fuzz-deep-artifacts
scratch=${scratch:-$root/build/linux-fuzz/fuzz-deep/$(date +%Y%m%d-%H%M%S)}
mkdir -p "$artifacts" "$scratch"
scratch=$(cd "$scratch" && pwd)

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# One libFuzzer statistic from the final report ("stat::NAME: VALUE").
stat() { sed -n "s/^stat::$1:[[:space:]]*//p" "$2" | tail -1; }

rows=()
failed=()
for target in "${targets[@]}"; do
    [[ -x $bin/$target ]] || { echo "$bin/$target is not built (drop --no-build)" >&2; exit 1; }
    corpus=$scratch/$target/corpus
    mkdir -p "$corpus"
    cp tests/fuzz/corpus/"$target"/* "$corpus"/
    seeds=$(find "$corpus" -type f | wc -l)
    log=$scratch/$target/run.log
    printf '== %s: up to %d executions or %d s, %d seeds, log %s\n' "$target" "$runs" "$seconds" "$seeds" "$log"
    # -jobs=1 -workers=1: one fuzzing process, one core; libFuzzer runs it as a child that logs to
    # fuzz-0.log in the working folder and copies that log to our output when it ends.
    status=0
    (cd "$scratch/$target" && "$bin/$target" -jobs=1 -workers=1 -runs="$runs" -max_total_time="$seconds" \
        -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 -artifact_prefix="$artifacts/$target-" \
        corpus) >"$log" 2>&1 || status=$?

    execs=$(stat number_of_executed_units "$log")
    rate=$(stat average_exec_per_sec "$log")
    # The last status line ("#N  DONE  cov: C ft: F corp: U/Sb ...") holds the coverage reached.
    last=$(grep -E '^#[0-9]+[[:space:]].*cov: [0-9]+' "$log" | tail -1 || true)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
    [[ -n $execs ]] || execs=$(sed -n 's/^#\([0-9]*\).*/\1/p' <<<"$last")
    size=$(find "$corpus" -type f | wc -l)
    crash=$(sed -n 's/.*Test unit written to \([^[:space:]]*\).*/\1/p' "$log" | tail -1)
    if ((status)) || [[ -n $crash ]]; then
        found=${crash:-"exit $status, see $log"}
        failed+=("$target")
        grep -E '^(==[0-9]+==ERROR|SUMMARY:|.*invariant broken|.*runtime error)' "$log" | head -5 >&2 || true
    else
        found=none
    fi
    printf '   executions %s, %s exec/s, cov %s, ft %s, corpus %s files (%s seeds), crashes: %s\n' \
        "${execs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" "$size" "$seeds" "$found"
    rows+=("| $target | ${execs:-?} | ${rate:-?} | ${cov:-?} | ${ft:-?} | $size ($seeds seeds) | $found |")
done

echo
echo "| target | executions | exec/s | cov | ft | corpus | crashes |"
echo "|---|---:|---:|---:|---:|---:|---|"
printf '%s\n' "${rows[@]}"
echo
echo "working corpora and logs: $scratch"
if ((${#failed[@]})); then
    echo "fuzz targets with findings: ${failed[*]} (inputs in $artifacts)" >&2
    exit 1
fi
