#!/usr/bin/env bash
# The monitor over a long run of mixed traffic (not part of CI): a steady iperf3 stream plus thousands
# of short-lived processes, each opening a few TCP connections and a UDP socket for about 1.5 s. Every
# 10 s the monitor's resident memory, thread count and open descriptors are sampled; at the end they are
# printed as a table and drawn into soak.png (gnuplot), with the cost of each kept record.
#
#   bench/soak.sh [--minutes M] [--build DIR]      (default 30 minutes)
#
# The records of closed connections and ended processes stay while the engine runs, so memory may grow
# with them; the once-a-minute process list (id 83) tells how many there are. Needs root; takes
# /tmp/kvt-monitor.lock; removes everything it made at the end, also on Ctrl-C.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../scripts/monitor_lock.sh"
monitor_hold_lock "$@"

repo=$(dirname "$here")
build=$repo/build/linux-release
minutes=30
while (($#)); do
    case $1 in
        --minutes) minutes=$2; shift 2 ;;
        --build) build=$2; shift 2 ;;
        -h | --help) sed -n '2,11p' "$0"; exit 0 ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
done
[[ $minutes =~ ^[0-9]+$ ]] && ((minutes >= 1 && minutes <= 1440)) || { echo "--minutes: 1 to 1440" >&2; exit 2; }
build=$(cd "$build" && pwd)
for tool in iperf3 python3 gnuplot; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: bash scripts/install-deps.sh" >&2; exit 1; }
done

source "$repo/tests/e2e/lib.sh"
source "$here/bench_env.sh"
bench_programs "$build"
bench_netns soak kvsoak kvs 10.233.0

OUT=$build/bench/soak
mkdir -p "$OUT"
seconds=$((minutes * 60))
e2e_console_start
e2e_monitor_start Accelerator.exe

e2e_spawn /dev/null "$WORK/server.out" "$WORK/server.err" ip netns exec "$NS_PEER" \
    python3 "$here/soak_traffic.py" serve 7000 $((seconds + 60))
e2e_wait_line "$WORK/server.out" '^listening$' 10 || e2e_fail "the soak server did not start"
e2e_spawn /dev/null "$WORK/iperf-server.out" "$WORK/iperf-server.err" ip netns exec "$NS_PEER" iperf3 -s -1 --forceflush -p 5201
e2e_wait_line "$WORK/iperf-server.out" 'Server listening' 10 || e2e_fail "the iperf3 server did not start"
e2e_spawn /dev/null "$WORK/iperf.out" "$WORK/iperf.err" ip netns exec "$NS_HOST" iperf3 -c "$PEER_ADDR" \
    -p 5201 -t "$seconds" -b 50M

samples=$OUT/soak.tsv
printf 'seconds\trss_kb\tthreads\tfds\tclients\n' >"$samples"
start_us=$(e2e_now_us)
end_us=$((start_us + seconds * 1000000))
next_sample_us=$start_us
clients=0
client_pids=()
# Five new client processes a second, at most 20 alive at once.
while (($(e2e_now_us) < end_us)); do
    kill -0 "$MON_PID" 2>/dev/null || e2e_fail "the monitor ended during the soak"
    alive=()
    for pid in "${client_pids[@]}"; do
        if kill -0 "$pid" 2>/dev/null; then alive+=("$pid"); else wait "$pid" 2>/dev/null; fi
    done
    client_pids=("${alive[@]}")
    if ((${#client_pids[@]} < 20)); then
        ip netns exec "$NS_HOST" timeout 15 python3 "$here/soak_traffic.py" client "$PEER_ADDR" 7000 "$clients" \
            >/dev/null 2>&1 &
        client_pids+=($!)
        clients=$((clients + 1))
    fi
    now=$(e2e_now_us)
    if ((now >= next_sample_us)); then
        printf '%d\t%s\t%s\t%s\t%d\n' $(((now - start_us) / 1000000)) \
            "$(awk '$1 == "VmRSS:" { print $2 }' "/proc/$MON_PID/status")" \
            "$(awk '$1 == "Threads:" { print $2 }' "/proc/$MON_PID/status")" \
            "$(find "/proc/$MON_PID/fd" -mindepth 1 -maxdepth 1 | wc -l)" "$clients" >>"$samples"
        next_sample_us=$((next_sample_us + 10000000))
    fi
    sleep 0.2
done
for pid in "${client_pids[@]}"; do
    e2e_wait_exit "$pid" 20 || kill -KILL "$pid" 2>/dev/null
done
e2e_log "soak: $clients client processes in $minutes min"
cp "$WORK/console.out" "$OUT/console.out"
e2e_finish

python3 "$here/soak_report.py" "$samples" "$OUT/console.out" "$OUT" || e2e_fail "no soak report"
