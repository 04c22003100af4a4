#!/usr/bin/env bash
# Side by side on the same traffic: the monitor (launched as the plugin launches it, through the plugin
# console), nethogs (trace mode, UDP too) and tcpdump writing to /dev/null, all capturing the host end
# of a veth pair between two network namespaces this script makes. Each workload runs with fresh tools:
# iperf3 TCP (unlimited, 1 Gbit/s, 100 Mbit/s), iperf3 UDP at several packet rates, 64-byte UDP
# floods from kvt_udp_flood, and short-lived TCP connections. The table (Markdown and JSON) goes to BUILD/bench/compare/.
#
#   bench/compare.sh [--build DIR] [--seconds S] [--flood-count N] [--only WORKLOAD[,WORKLOAD...]]
#
# Needs root; takes /tmp/kvt-monitor.lock for the whole run. Everything it makes (namespaces, veth
# pairs, processes, the temporary directory) is removed at the end, also on Ctrl-C.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../scripts/monitor_lock.sh"
monitor_hold_lock "$@"

repo=$(dirname "$here")
build=$repo/build/linux-release
seconds=20
flood_count=10000000
only=
while (($#)); do
    case $1 in
        --build) build=$2; shift 2 ;;
        --seconds) seconds=$2; shift 2 ;;
        --flood-count) flood_count=$2; shift 2 ;;
        --only) only=,$2,; shift 2 ;;
        -h | --help) sed -n '2,12p' "$0"; exit 0 ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
done
build=$(cd "$build" && pwd)
for tool in iperf3 nethogs tcpdump stdbuf python3 iconv; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: bash scripts/install-deps.sh" >&2; exit 1; }
done

source "$repo/tests/e2e/lib.sh"
source "$here/bench_env.sh"
source "$here/compare_lib.sh"
bench_programs "$build"
bench_netns compare kvbench kvb 10.232.0

OUT=$build/bench/compare
RESULTS=$OUT/raw
rm -rf "$RESULTS"
mkdir -p "$RESULTS"

wanted() { [[ -z $only || $only == *",$1,"* ]]; }

# A copy of a program under the workload's own name: the monitor and nethogs name processes by it.
named_copy() {
    cp "$1" "$WORK/bin/$2"
    echo "$WORK/bin/$2"
}

# iperf_run WORKLOAD IPERF3_CLIENT_ARGS...: one iperf3 test of $seconds from the host to the peer.
iperf_run() {
    local workload=$1 name=kvb-$1 program gen
    shift
    wanted "$workload" || return 0
    e2e_log "---- $workload: iperf3 $*"
    program=$(named_copy "$(command -v iperf3)" "$name")
    bench_tools_start "$workload"
    e2e_spawn /dev/null "$RUN/server.out" "$RUN/server.err" ip netns exec "$NS_PEER" iperf3 -s -1 --forceflush -p 5201
    e2e_wait_line "$RUN/server.out" 'Server listening' 10 || e2e_fail "the iperf3 server did not start"
    BENCH_HELPERS+=("$E2E_LAST_PID")
    bench_sample_start
    e2e_spawn /dev/null "$RUN/client.json" "$RUN/client.err" ip netns exec "$NS_HOST" "$program" \
        -c "$PEER_ADDR" -p 5201 -t "$seconds" -i 0.1 -J "$@"
    gen=$E2E_LAST_PID
    bench_poll_first "$name" "$gen" $((seconds + 10))
    e2e_wait_exit "$gen" $((seconds + 30)) || e2e_fail "iperf3 did not end"
    sleep 2.5
    bench_sample_end
    local counts
    counts=$(python3 "$here/iperf_counts.py" "$RUN/client.json") || e2e_fail "no counts from iperf3"
    # shellcheck disable=SC2086
    bench_tools_stop "$workload" "$name" "$gen" generator=iperf3 $counts
}

# flood_run WORKLOAD RATE: 64-byte datagrams at RATE a second (0: as fast as they go), at most
# $flood_count of them and $seconds * 2 seconds. The flood starts 2.5 s after the probe datagram that
# makes its port known, so that it measures the counting of a listed port.
flood_run() {
    local workload=$1 rate=$2 name=kvb-$1 program gen line
    wanted "$workload" || return 0
    e2e_log "---- $workload: kvt_udp_flood at ${rate} datagrams/s"
    program=$(named_copy "$KVT_TRAFFIC" "$name")
    bench_tools_start "$workload"
    e2e_spawn /dev/null "$RUN/sink.out" "$RUN/sink.err" ip netns exec "$NS_PEER" "$KVT_TRAFFIC" sink 6000 \
        --seconds $((seconds * 2 + 60))
    e2e_wait_line "$RUN/sink.out" '^listening$' 10 || e2e_fail "the sink did not start"
    BENCH_HELPERS+=("$E2E_LAST_PID")
    bench_sample_start
    e2e_spawn /dev/null "$RUN/flood.out" "$RUN/flood.err" ip netns exec "$NS_HOST" "$program" send \
        "$PEER_ADDR" 6000 --size 64 --rate "$rate" --count "$flood_count" --seconds $((seconds * 2)) --warmup 2.5
    gen=$E2E_LAST_PID
    bench_poll_first "$name" "$gen" $((seconds * 2 + 10))
    e2e_wait_exit "$gen" $((seconds * 2 + 30)) || e2e_fail "the flood did not end"
    sleep 2.5
    bench_sample_end
    line=$(grep -E '^first_us=' "$RUN/flood.out") || e2e_fail "no counts from the flood"
    local first datagrams bytes secs
    read -r first datagrams bytes secs <<<"$(sed -E 's/[a-z_]+=//g' <<<"$line")"
    bench_tools_stop "$workload" "$name" "$gen" generator=kvt_udp_flood true_bytes="$bytes" early_bytes=0 \
        datagrams="$datagrams" payload=64 gen_seconds="$secs" gen_first_us="$first"
}

# short_run WORKLOAD: 300 TCP connections of 256 KB, 20 a second, each closed as soon as its bytes are
# sent: no probe, no warm-up, so a port is only ever seen while its connection lives.
short_run() {
    local workload=$1 name=kvb-$1 program gen line
    wanted "$workload" || return 0
    e2e_log "---- $workload: short_conns.py, 300 connections of 256 KB at 20 a second"
    # The interpreter itself, not a wrapper script that finds it by its own name.
    program=$(named_copy "$(python3 -c 'import sys; print(sys.executable)')" "$name")
    bench_tools_start "$workload"
    e2e_spawn /dev/null "$RUN/server.out" "$RUN/server.err" ip netns exec "$NS_PEER" python3 \
        "$here/short_conns.py" serve 5202
    e2e_wait_line "$RUN/server.out" '^listening$' 10 || e2e_fail "the server did not start"
    BENCH_HELPERS+=("$E2E_LAST_PID")
    bench_sample_start
    e2e_spawn /dev/null "$RUN/client.out" "$RUN/client.err" ip netns exec "$NS_HOST" "$program" \
        "$here/short_conns.py" send "$PEER_ADDR" 5202
    gen=$E2E_LAST_PID
    bench_poll_first "$name" "$gen" 40
    e2e_wait_exit "$gen" 60 || e2e_fail "the short connections did not end"
    sleep 2.5
    bench_sample_end
    line=$(grep -E '^first_us=' "$RUN/client.out") || e2e_fail "no counts from the short connections"
    local first connections bytes secs
    read -r first connections bytes secs <<<"$(sed -E 's/[a-z_]+=//g' <<<"$line")"
    bench_tools_stop "$workload" "$name" "$gen" generator=short_conns true_bytes="$bytes" early_bytes=0 \
        connections="$connections" gen_seconds="$secs" gen_first_us="$first"
}

iperf_run tcp-max
iperf_run tcp-1g -b 1G
iperf_run tcp-100m -b 100M
# 1200-byte datagrams: 10 000, 50 000 and 100 000 a second, then as many as iperf3 manages.
iperf_run udp-10k -u -l 1200 -b 96M
iperf_run udp-50k -u -l 1200 -b 480M
iperf_run udp-100k -u -l 1200 -b 960M
iperf_run udp-max -u -l 1200 -b 0
flood_run flood-100k 100000
flood_run flood-300k 300000
flood_run flood-max 0
short_run short-conn

python3 "$here/compare_report.py" "$RESULTS" "$OUT" || e2e_fail "no report"
e2e_log "report: $OUT/compare.md and $OUT/compare.json"
