# The side-by-side runs of bench/compare.sh: the monitor (through the plugin console, as the e2e tests
# run it), nethogs and tcpdump capture the host end of the veth pair while one workload runs; each
# tool's CPU, peak memory, drops and attributed bytes are written to RESULTS/WORKLOAD.TOOL.env as
# key=value lines for compare_report.py. Sourced after tests/e2e/lib.sh, whose helpers it uses.

readonly FAIL64=18446744073709551615
CLOCK_TICKS=$(getconf CLK_TCK)

# "user system" CPU seconds of a process so far.
bench_cpu() {
    local stat fields
    stat=$(<"/proc/$1/stat")
    read -ra fields <<<"${stat##*) }"
    awk -v u="${fields[11]}" -v s="${fields[12]}" -v hz="$CLOCK_TICKS" 'BEGIN { printf "%.2f %.2f", u / hz, s / hz }'
}

# A field of /proc/PID/status in kB (VmHWM, VmRSS).
bench_status_kb() {
    awk -v k="$2:" '$1 == k { print $2 }' "/proc/$1/status"
}

# Frames through the host end so far, both ways.
bench_if_packets() {
    echo $(($(ip netns exec "$NS_HOST" cat "/sys/class/net/$IF_HOST/statistics/rx_packets") +
        $(ip netns exec "$NS_HOST" cat "/sys/class/net/$IF_HOST/statistics/tx_packets")))
}

bench_if_tx_packets() {
    ip netns exec "$NS_HOST" cat "/sys/class/net/$IF_HOST/statistics/tx_packets"
}

# ---- the three tools

bench_tools_start() {
    BENCH_HELPERS=()
    RUN=$WORK/run-$1
    mkdir -p "$RUN"
    E2E_PARTIAL=
    e2e_console_start
    e2e_monitor_start Accelerator.exe
    e2e_spawn /dev/null "$RUN/tcpdump.out" "$RUN/tcpdump.err" \
        ip netns exec "$NS_HOST" tcpdump -i "$IF_HOST" -n -w /dev/null ip
    TCPDUMP_PID=$E2E_LAST_PID
    # nethogs's lines, stamped with the wall clock as they arrive (line-buffered through stdbuf).
    mkfifo "$RUN/nethogs.fifo"
    e2e_spawn "$RUN/nethogs.fifo" "$RUN/nethogs.out" /dev/null bash -c \
        'while IFS= read -r line; do printf "%s %s\n" "$EPOCHREALTIME" "$line"; done'
    e2e_spawn /dev/null "$RUN/nethogs.fifo" "$RUN/nethogs.err" \
        ip netns exec "$NS_HOST" stdbuf -oL nethogs -t -C -v 2 -d 1 "$IF_HOST"
    NETHOGS_PID=$E2E_LAST_PID
    e2e_wait_line "$RUN/tcpdump.err" 'listening on' 10 || e2e_fail "tcpdump did not start"
    e2e_wait_line "$RUN/nethogs.out" 'Refreshing|Waiting' 10 || e2e_fail "nethogs did not start"
    sleep 1
}

# Samples at the start of the workload: CPU of each tool, frames on the interface, the clock.
bench_sample_start() {
    CPU0_monitor=$(bench_cpu "$MON_PID")
    CPU0_nethogs=$(bench_cpu "$NETHOGS_PID")
    CPU0_tcpdump=$(bench_cpu "$TCPDUMP_PID")
    PACKETS0=$(bench_if_packets)
    TX0=$(bench_if_tx_packets)
    T0_US=$(e2e_now_us)
}

bench_sample_end() {
    CPU1_monitor=$(bench_cpu "$MON_PID")
    CPU1_nethogs=$(bench_cpu "$NETHOGS_PID")
    CPU1_tcpdump=$(bench_cpu "$TCPDUMP_PID")
    HWM_monitor=$(bench_status_kb "$MON_PID" VmHWM)
    HWM_nethogs=$(bench_status_kb "$NETHOGS_PID" VmHWM)
    HWM_tcpdump=$(bench_status_kb "$TCPDUMP_PID" VmHWM)
    RSS_END_monitor=$(bench_status_kb "$MON_PID" VmRSS)
    PACKETS=$(($(bench_if_packets) - PACKETS0))
    TX_FRAMES=$(($(bench_if_tx_packets) - TX0))
}

# bench_poll_first NAME PID SECONDS: asks the monitor for NAME's upload every 100 ms while PID runs
# (at most SECONDS); FIRST_US_monitor is the time of the first answer above 0 (empty if none), and
# RSS_WARM_monitor the monitor's resident memory 3 s into the workload.
bench_poll_first() {
    local name=$1 pid=$2 seconds=$3
    local deadline=$((T0_US + seconds * 1000000))
    FIRST_US_monitor=
    RSS_WARM_monitor=
    while kill -0 "$pid" 2>/dev/null && (($(e2e_now_us) < deadline)); do
        if [[ -z $FIRST_US_monitor ]]; then
            e2e_ask "GetProcessUpRefluxByProcessName name=$name" 44 bytes
            [[ $ANSWER == 0 || $ANSWER == "$FAIL64" ]] || FIRST_US_monitor=$(e2e_now_us)
        fi
        if [[ -z $RSS_WARM_monitor ]] && (($(e2e_now_us) > T0_US + 3000000)); then
            RSS_WARM_monitor=$(bench_status_kb "$MON_PID" VmRSS)
        fi
        [[ -n $FIRST_US_monitor && -n $RSS_WARM_monitor ]] && break
        sleep 0.1
    done
}

# Stops the tools and the workload's servers (BENCH_HELPERS) after a workload whose generator was NAME with pid GEN_PID; writes the .env files.
# Extra key=value words for every file come after (the true byte counts and the workload's figures).
bench_tools_stop() {
    local workload=$1 name=$2 gen_pid=$3
    shift 3
    local common=("$@" "packets=$PACKETS" "tx_frames=$TX_FRAMES" "t0_us=$T0_US")

    e2e_ask "GetProcessUpRefluxByProcessName name=$name" 44 bytes
    local attributed=$ANSWER
    [[ $attributed == "$FAIL64" ]] && attributed=0

    # The far end's servers of this workload.
    local helper
    for helper in "${BENCH_HELPERS[@]}"; do
        kill -TERM "$helper" 2>/dev/null || true
        e2e_wait_exit "$helper" 10 || kill -KILL "$helper" 2>/dev/null
    done
    # tcpdump prints its counters when interrupted.
    kill -INT "$TCPDUMP_PID"
    e2e_wait_exit "$TCPDUMP_PID" 10 || kill -KILL "$TCPDUMP_PID"
    kill -INT "$NETHOGS_PID"
    e2e_wait_exit "$NETHOGS_PID" 10 || kill -KILL "$NETHOGS_PID"
    # The console's script ends: it sends ExitMonitor and waits for the monitor to close the pipe.
    exec {E2E_IN}>&-
    E2E_IN=
    e2e_monitor_ended 25 ExitMonitor
    e2e_wait_exit "$CONSOLE_PID" 25 || e2e_fail "the console did not end"
    exec {E2E_OUT}<&-
    E2E_OUT=

    # The monitor's capture logs pcap's counters when it closes.
    local log pcap received=0 dropped=0 ifdropped=0
    log=$(iconv -f GBK -t UTF-8 "$MON_DIR/traffic.log" 2>/dev/null || cat "$MON_DIR/traffic.log")
    pcap=$(grep -E "pcap $IF_HOST: received" <<<"$log" | tail -n1 || true)
    if [[ $pcap =~ received\ ([0-9]+),\ dropped\ ([0-9]+),\ interface\ dropped\ ([0-9]+) ]]; then
        received=${BASH_REMATCH[1]} dropped=${BASH_REMATCH[2]} ifdropped=${BASH_REMATCH[3]}
    else
        e2e_log "warning: no pcap counters in the monitor's log"
        dropped=
    fi
    mv "$MON_DIR/traffic.log" "$RUN/traffic.log"
    [[ -n ${KVT_BENCH_KEEP_LOGS:-} ]] && cp "$RUN/traffic.log" "$KVT_BENCH_KEEP_LOGS/$workload.traffic.log"
    mv "$WORK/console.in" "$WORK/console.out" "$WORK/console.err" "$RUN/"

    local td_received td_dropped
    td_received=$(grep -Eo '^[0-9]+ packets received by filter' "$RUN/tcpdump.err" | awk '{print $1}')
    td_dropped=$(grep -Eo '^[0-9]+ packets dropped by kernel' "$RUN/tcpdump.err" | awk '{print $1}')

    # nethogs: "PROGRAM/PID/UID<TAB>SENT<TAB>RECEIVED" for each process at every refresh, cumulative
    # bytes of whole frames; the last line of the generator holds its totals.
    local nh_sent nh_first
    read -r nh_sent nh_first < <(awk -F'\t' -v pid="/$gen_pid/" '
        index($1, pid) { split($1, stamp, " "); if ($2 + 0 > 0 && first == "") first = stamp[1]; sent = $2 }
        END { printf "%s %s\n", sent + 0, first == "" ? "-" : first }' "$RUN/nethogs.out")
    [[ $nh_first == - ]] && nh_first= || nh_first=${nh_first/./}

    {
        printf '%s\n' workload="$workload" tool=monitor "${common[@]}" attributed="$attributed" \
            first_us="$FIRST_US_monitor" cpu0="$CPU0_monitor" cpu1="$CPU1_monitor" hwm_kb="$HWM_monitor" \
            rss_warm_kb="$RSS_WARM_monitor" rss_end_kb="$RSS_END_monitor" pcap_received="$received" \
            dropped="$dropped" if_dropped="$ifdropped"
    } >"$RESULTS/$workload.monitor.env"
    {
        printf '%s\n' workload="$workload" tool=nethogs "${common[@]}" attributed_frames="$nh_sent" \
            first_us="$nh_first" cpu0="$CPU0_nethogs" cpu1="$CPU1_nethogs" hwm_kb="$HWM_nethogs"
    } >"$RESULTS/$workload.nethogs.env"
    {
        printf '%s\n' workload="$workload" tool=tcpdump "${common[@]}" cpu0="$CPU0_tcpdump" \
            cpu1="$CPU1_tcpdump" hwm_kb="$HWM_tcpdump" pcap_received="$td_received" dropped="$td_dropped"
    } >"$RESULTS/$workload.tcpdump.env"
    e2e_log "$workload: monitor $attributed bytes, nethogs $nh_sent frame bytes, drops monitor ${dropped:-?}" \
        "tcpdump ${td_dropped:-?}, $PACKETS frames"
}
