#!/usr/bin/env bash
# How long plugin requests wait while a flood of small packets keeps the capture and the decoder busy:
# the monitor (launched through the plugin console) watches the host end of a veth pair between two
# network namespaces this script makes; kvt_udp_flood sends 64-byte datagrams at RATE a second for
# SECONDS; meanwhile GetLocalUpReflux (which reads the totals under the engine lock) is asked over and
# over and each answer is timed. The totals are those of the last statistics tick, so the number of
# different answers tells whether the tick kept running. One line of figures at the end.
#
#   bench/request_latency.sh [--build DIR] [--rate PPS] [--seconds S]
#
# Needs root; takes /tmp/kvt-monitor.lock. Everything it makes is removed at the end, also on Ctrl-C.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../scripts/monitor_lock.sh"
monitor_hold_lock "$@"

repo=$(dirname "$here")
build=$repo/build/linux-release
rate=300000
seconds=20
while (($#)); do
    case $1 in
        --build) build=$2; shift 2 ;;
        --rate) rate=$2; shift 2 ;;
        --seconds) seconds=$2; shift 2 ;;
        -h | --help) sed -n '2,11p' "$0"; exit 0 ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
done
build=$(cd "$build" && pwd)

source "$repo/tests/e2e/lib.sh"
source "$here/bench_env.sh"
bench_programs "$build"
bench_netns request_latency kvbench kvb 10.232.0
e2e_console_start
e2e_monitor_start Accelerator.exe

e2e_spawn /dev/null "$WORK/sink.out" "$WORK/sink.err" ip netns exec "$NS_PEER" "$KVT_TRAFFIC" sink 6000 \
    --seconds $((seconds + 60))
e2e_wait_line "$WORK/sink.out" '^listening$' 10 || e2e_fail "the sink did not start"
program=$WORK/bin/kvb-latency
cp "$KVT_TRAFFIC" "$program"
e2e_spawn /dev/null "$WORK/flood.out" "$WORK/flood.err" ip netns exec "$NS_HOST" "$program" send \
    "$PEER_ADDR" 6000 --size 64 --rate "$rate" --count 1000000000 --seconds $((seconds + 3)) --warmup 2.5
flood=$E2E_LAST_PID
sleep 3.5

# Each request waits at most 20 s for its answer (e2e_ask fails the run after that).
latencies=()
answers=()
end=$(($(e2e_now_us) + seconds * 1000000))
while (($(e2e_now_us) < end)); do
    t0=$(e2e_now_us)
    e2e_ask GetLocalUpReflux 22 bytes
    latencies+=($((($(e2e_now_us) - t0) / 1000)))
    answers+=("$ANSWER")
    sleep 0.05
done
e2e_wait_exit "$flood" 30 || e2e_fail "the flood did not end"
line=$(grep -E '^first_us=' "$WORK/flood.out") || e2e_fail "no counts from the flood"
sorted=$(printf '%s\n' "${latencies[@]}" | sort -n)
count=${#latencies[@]}
median=$(sed -n "$(((count + 1) / 2))p" <<<"$sorted")
worst=$(tail -n1 <<<"$sorted")
distinct=$(printf '%s\n' "${answers[@]}" | sort -u | wc -l)
e2e_log "figure: rate $rate/s ($line): $count requests, answer ms median $median, worst $worst;" \
    "$distinct different totals in $seconds s"
e2e_finish
