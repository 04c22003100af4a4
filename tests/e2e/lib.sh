# The harness of the end-to-end tests, sourced by each test script (and by the benchmark scripts).
#
# A test makes two network namespaces of its own, "host" (the machine the monitor watches) and "peer"
# (the far end), joined by a veth pair, and, when it asks, more pairs (e2e_link). The plugin console
# serves the pipe in the root namespace (its socket in /run/kvtmon, which every namespace shares).
# Traffic is iperf3: a server under the name the monitor must count (the host side, whose pid lasts the
# whole test) and a client in the peer, whose JSON report gives the exact payload sent. The EXIT trap
# removes everything made.
#
# From CMake: KVT_MONITOR (the monitor program, with config/ beside it), KVT_CONSOLE (kvtmon-plugin).
# Exit code 77 means skipped (not root, or ip, iperf3 or a tool the test names missing).

set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/monitor_lock.sh"

E2E_PIDS=()
E2E_IN=
E2E_OUT=
E2E_PARTIAL=
E2E_LINE=
FAIL64=18446744073709551615
# The decoder takes every TCP header as 20 bytes, so handshake options count as payload; and iperf3's
# control connection shares the server's port: together well under this.
readonly E2E_SLACK=4096

e2e_log() { printf '[%s] %s\n' "$(date +%T)" "$*"; }
e2e_fail() {
    printf '[%s] FAIL: %s\n' "$(date +%T)" "$*" >&2
    exit 1
}
# Microseconds of the wall clock, without a process.
e2e_now_us() { local t=${EPOCHREALTIME/./}; echo $((10#$t)); }

# e2e_init NAME [TOOL...]: the tools beside ip and iperf3 that the test needs.
e2e_init() {
    E2E_NAME=$1
    [[ $(id -u) -eq 0 ]] || { echo "skipped: network namespaces need root"; exit 77; }
    # One monitor on the machine at a time: re-run under the machine-wide lock.
    monitor_hold_lock
    local tool
    for tool in ip iperf3 "${@:2}"; do
        command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
    done
    [[ -x ${KVT_MONITOR:-} && -x ${KVT_CONSOLE:-} ]] || e2e_fail "KVT_MONITOR and KVT_CONSOLE must name the programs"
    # Interface names have at most 15 characters.
    E2E_ID=$$
    E2E_TAG=kvte2e-$E2E_ID
    NS_HOST=$E2E_TAG-h NS_PEER=$E2E_TAG-p
    IF_HOST=kvt${E2E_ID}a IF_PEER=kvt${E2E_ID}b
    HOST_ADDR=10.231.0.1 PEER_ADDR=10.231.0.2
    PIPE="\\\\.\\pipe\\$E2E_TAG"
    WORK=$(mktemp -d "/tmp/kvte2e-$E2E_NAME.XXXXXX")
    mkdir -p "$WORK/bin"
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
    e2e_log "$E2E_NAME: work directory $WORK"
}

e2e_cleanup() {
    local code=$? pid exe
    set +e
    trap - EXIT INT TERM
    trap '' PIPE
    [[ -n $E2E_IN ]] && exec {E2E_IN}>&-
    [[ -n $E2E_OUT ]] && exec {E2E_OUT}<&-
    for pid in "${E2E_PIDS[@]}"; do kill -TERM "$pid" 2>/dev/null; done
    for pid in "${E2E_PIDS[@]}"; do e2e_wait_exit "$pid" 2 || { kill -KILL "$pid"; wait "$pid"; } 2>/dev/null; done
    # Whatever still runs one of this test's copied programs (a monitor a console launched, say).
    for exe in /proc/[0-9]*/exe; do
        [[ $(readlink "$exe" 2>/dev/null) == "$WORK"/* ]] && pid=${exe#/proc/} && kill -KILL "${pid%/exe}" 2>/dev/null
    done
    # A sanitizer's report fails the test, whatever else happened.
    if [[ -d ${WORK:-} ]] && grep -lqE '(ERROR|WARNING): (Address|Leak|Thread|Memory)Sanitizer|: runtime error: ' \
        "$WORK"/*.err 2>/dev/null; then
        grep -m1 -A30 -E 'Sanitizer|: runtime error: ' "$WORK"/*.err >&2
        code=1
    fi
    [[ -n ${E2E_MADE_DIR:-} ]] && rm -rf "$E2E_MADE_DIR"
    # Deleting a namespace deletes the veth ends in it, and with them their peers.
    ip netns del "$NS_HOST" 2>/dev/null
    ip netns del "$NS_PEER" 2>/dev/null
    if ((code != 0)) && [[ -d ${WORK:-} ]]; then
        tail -n 30 "$WORK"/*.err 2>/dev/null
        [[ -s $WORK/mon/traffic.log ]] && tail -n 30 "$WORK/mon/traffic.log" | iconv -f GBK -t UTF-8
        [[ -s $WORK/console.out ]] && grep -v '"id":7[78],\|"id":8[01],' "$WORK/console.out" | tail -n 20
    fi
    [[ -d ${WORK:-} ]] && rm -rf "$WORK"
    exit "$code"
}

# e2e_spawn IN OUT ERR COMMAND...: runs a command in the background with those streams and the
# console's script end closed (else the console would never see its end); sets E2E_LAST_PID.
e2e_spawn() {
    local in=$1 out=$2 err=$3
    shift 3
    if [[ -n $E2E_IN ]]; then
        "$@" <"$in" >"$out" 2>"$err" {E2E_IN}>&- &
    else
        "$@" <"$in" >"$out" 2>"$err" &
    fi
    E2E_LAST_PID=$!
    E2E_PIDS+=("$E2E_LAST_PID")
}

# ---- network

# e2e_link HOST_IF PEER_IF HOST_ADDR PEER_ADDR: a veth pair between the namespaces, /24 addresses, up.
e2e_link() {
    ip link add "$1" netns "$NS_HOST" type veth peer name "$2" netns "$NS_PEER"
    ip -n "$NS_HOST" addr add "$3/24" dev "$1"
    ip -n "$NS_PEER" addr add "$4/24" dev "$2"
    ip -n "$NS_HOST" link set "$1" up
    ip -n "$NS_PEER" link set "$2" up
}

e2e_netns() {
    local ns
    for ns in "$NS_HOST" "$NS_PEER"; do
        ip netns add "$ns"
        # No IPv6 (no solicitations on the links), no TCP timestamps or SACK: the monitor counts TCP
        # options as payload, so without them a segment's payload is what iperf3 counts.
        ip netns exec "$ns" sysctl -qw net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1 \
            net.ipv4.tcp_timestamps=0 net.ipv4.tcp_sack=0
    done
    e2e_link "$IF_HOST" "$IF_PEER" "$HOST_ADDR" "$PEER_ADDR"
}

# rx_bytes, tx_packets, ... of a host-side interface.
e2e_if_stat() { ip netns exec "$NS_HOST" cat "/sys/class/net/$1/statistics/$2"; }

# ---- traffic

# e2e_server NAME PORT: an iperf3 server in the host namespace under the file name NAME (the monitor
# names processes by it), IPv4 only (the monitor reads the IPv4 tables); sets SERVER_PID.
e2e_server() {
    [[ -x $WORK/bin/$1 ]] || cp "$(command -v iperf3)" "$WORK/bin/$1"
    e2e_spawn /dev/null "$WORK/$1-$2.out" "$WORK/$1-$2.err" ip netns exec "$NS_HOST" "$WORK/bin/$1" -4 -s -p "$2" --forceflush
    SERVER_PID=$E2E_LAST_PID
    e2e_wait_line "$WORK/$1-$2.out" 'Server listening' 10 || e2e_fail "the server $1 did not start"
}

# e2e_client LABEL ADDR PORT IPERF3_ARGS...: an iperf3 client in the peer, in the background (-R: the
# host's server sends).
e2e_client() {
    local label=$1 addr=$2 port=$3
    shift 3
    e2e_spawn /dev/null "$WORK/$label.json" "$WORK/$label.err" ip netns exec "$NS_PEER" iperf3 -c "$addr" -p "$port" -J "$@"
}

# e2e_sent LABEL [SECONDS]: waits for the client's report; SENT is the payload its test's sender sent.
e2e_sent() {
    e2e_wait_line "$WORK/$1.json" '^}' "${2:-30}" || e2e_fail "$1: no iperf3 report"
    SENT=$(awk '/"sum_sent"/ { s = 1 } s && /"bytes"/ { gsub(/[^0-9]/, ""); print; exit }' "$WORK/$1.json")
    [[ -n $SENT ]] || e2e_fail "$1: $(grep -m1 '"error"' "$WORK/$1.json")"
}

# Waits until a line of FILE matches the extended regular expression; sets E2E_MATCH to it.
e2e_wait_line() {
    local file=$1 pattern=$2 deadline=$(($(e2e_now_us) + $3 * 1000000))
    until [[ -f $file ]] && E2E_MATCH=$(grep -aE -m1 -- "$pattern" "$file"); do
        (($(e2e_now_us) < deadline)) || return 1
        sleep 0.1
    done
}

# ---- the console and the monitor

# The plugin console serving the pipe: its script comes from a FIFO the test writes, its JSON lines go
# to $WORK/console.out, which e2e_await reads.
e2e_console_start() {
    mkfifo "$WORK/console.in"
    : >"$WORK/console.out"
    e2e_spawn "$WORK/console.in" "$WORK/console.out" "$WORK/console.err" "$KVT_CONSOLE" --script --json \
        --pipe "$PIPE" --connect-timeout 30 --timeout 20 --exit --exit-timeout 20
    CONSOLE_PID=$E2E_LAST_PID
    # Read-write: opening does not wait for the reader; the console sees its script's end only when
    # this, the one writer, is closed.
    exec {E2E_IN}<>"$WORK/console.in"
    exec {E2E_OUT}<"$WORK/console.out"
    e2e_wait_line "$WORK/console.err" 'waiting for the monitor' 10 || e2e_fail "the console did not make the pipe"
}

# A copy of the monitor with its configuration in $MON_DIR: it reads its configuration and writes
# traffic.log beside itself.
e2e_monitor_dir() {
    MON_DIR=$WORK/mon
    mkdir -p "$MON_DIR"
    cp "$KVT_MONITOR" "$MON_DIR/kvtmon"
    cp -r "$(dirname "$KVT_MONITOR")/config" "$MON_DIR/"
    # The settings file's directory, empty: the build tree's may hold settings of earlier runs.
    [[ ! -d $(dirname "$KVT_MONITOR")/tmp ]] || mkdir -p "$MON_DIR/tmp"
}

# e2e_monitor_start HOST: the monitor in the host namespace with the command line "HOST PIPE"; its
# start result must be 1.
e2e_monitor_start() {
    [[ -n ${MON_DIR:-} ]] || e2e_monitor_dir
    e2e_spawn /dev/null "$WORK/monitor.out" "$WORK/monitor.err" ip netns exec "$NS_HOST" "$MON_DIR/kvtmon" "$1" "$PIPE"
    MON_PID=$E2E_LAST_PID
    e2e_await 2 30 || e2e_fail "no start result from the monitor within 30 s"
    [[ $(e2e_field result) == 1 ]] || e2e_fail "the monitor reported start result $(e2e_field result)"
    MON_STARTED_US=$(e2e_now_us)
    e2e_log "monitor started (pid $MON_PID)"
}

e2e_send() { printf '%s\n' "$*" >&"$E2E_IN"; }

# Skips every line the console has printed so far.
e2e_drain() {
    local chunk
    while IFS= read -r chunk <&"$E2E_OUT"; do E2E_PARTIAL=; done
    E2E_PARTIAL+=$chunk
}

# e2e_await ID SECONDS [UNWANTED_ID]: reads on to the next message with that id from the monitor into
# E2E_LINE; false when none comes in time; fails the test when UNWANTED_ID comes first.
e2e_await() {
    local id=$1 unwanted=${3:-} deadline=$(($(e2e_now_us) + $2 * 1000000)) chunk
    while (($(e2e_now_us) < deadline)); do
        # A line still being written comes in pieces.
        IFS= read -r chunk <&"$E2E_OUT" || { E2E_PARTIAL+=$chunk; sleep 0.05; continue; }
        E2E_LINE=$E2E_PARTIAL$chunk E2E_PARTIAL=
        [[ $E2E_LINE == *'"dir":"in","id":'"$id"',"'* ]] && return 0
        [[ -n $unwanted && $E2E_LINE == *'"dir":"in","id":'"$unwanted"',"'* ]] &&
            e2e_fail "message $unwanted came before $id: $E2E_LINE"
    done
    return 1
}

# A field of the message in E2E_LINE: a number as printed (u64 figures exceed what JSON tools keep
# exact), or a text without its quotes.
e2e_field() {
    local number='"'"$1"'":(-?[0-9]+)[,}]' text='"'"$1"'":"([^"]*)"' fields=${E2E_LINE#*'"fields":{'}
    [[ $fields =~ $number || $fields =~ $text ]] || { echo "no field $1 in: $E2E_LINE" >&2; return 1; }
    echo "${BASH_REMATCH[1]}"
}

# e2e_ask 'REQUEST ARGS' ANSWER_ID FIELD: sends a request and sets ANSWER to the field of its answer.
e2e_ask() {
    e2e_send "$1"
    e2e_await "$2" 20 || e2e_fail "no answer $2 to: $1"
    ANSWER=$(e2e_field "$3")
}

# e2e_ask_until 'REQUEST ARGS' ANSWER_ID FIELD CONDITION [SECONDS]: asks again until the arithmetic
# CONDITION on ANSWER holds (the once-a-second statistics tick sums the totals); fails after SECONDS.
e2e_ask_until() {
    local deadline=$(($(e2e_now_us) + ${5:-10} * 1000000))
    while e2e_ask "$1" "$2" "$3"; ! (($4)); do
        (($(e2e_now_us) < deadline)) || e2e_fail "$1: $ANSWER, not $4 within ${5:-10} s"
        sleep 0.2
    done
}

# e2e_counted_near 'REQUEST ARGS' ANSWER_ID EXPECTED WHAT [SECONDS]: asks until the answer's bytes
# reach 99 % of EXPECTED (the statistics tick sums once a second), then within 1 % of it.
e2e_counted_near() {
    e2e_ask_until "$1" "$2" bytes "ANSWER >= $3 * 99 / 100" "${5:-10}"
    e2e_near "$ANSWER" "$3" 10 "$4"
}

# e2e_monitor_ended SECONDS WHY: the monitor must end by itself within SECONDS, with exit code 0.
e2e_monitor_ended() {
    local since
    since=$(e2e_now_us)
    e2e_wait_exit "$MON_PID" "$1" || e2e_fail "the monitor did not end within $1 s of $2"
    e2e_log "figure: the monitor ended $((($(e2e_now_us) - since) / 1000)) ms after $2, exit code $E2E_EXIT"
    [[ $E2E_EXIT == 0 ]] || e2e_fail "the monitor ended with exit code $E2E_EXIT after $2"
    MON_PID=
}

# The end of every test: the console's script ends, so it sends ExitMonitor (unless the monitor has
# gone) and waits for the pipe to close; both must end with exit code 0.
e2e_finish() {
    exec {E2E_IN}>&-
    E2E_IN=
    [[ -z $MON_PID ]] || e2e_monitor_ended 25 ExitMonitor
    e2e_wait_exit "$CONSOLE_PID" 25 || e2e_fail "the console did not end"
    [[ $E2E_EXIT == 0 ]] || e2e_fail "the console ended with exit code $E2E_EXIT"
    e2e_log "$E2E_NAME: passed"
}

# Waits for a child process to end; E2E_EXIT is its exit code. False after SECONDS.
e2e_wait_exit() {
    local pid=$1 deadline=$(($(e2e_now_us) + $2 * 1000000))
    # A zombie still answers kill -0; wait reaps it.
    while kill -0 "$pid" 2>/dev/null && [[ $(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null) != Z ]]; do
        (($(e2e_now_us) < deadline)) || return 1
        sleep 0.1
    done
    E2E_EXIT=0
    wait "$pid" || E2E_EXIT=$?
}

# ---- checks

# e2e_idle_cpu PID SECONDS WHAT: an idle monitor uses next to nothing; one that spins takes what the
# busy machine leaves it, and over a tenth of the interval fails the test.
e2e_idle_cpu() {
    local cpu='{ sub(/^.*\) /, ""); print int(($12 + $13) * 1000 / hz) }' hz before since used wall
    hz=$(getconf CLK_TCK)
    before=$(awk -v hz="$hz" "$cpu" "/proc/$1/stat")
    since=$(e2e_now_us)
    sleep "$2"
    used=$(($(awk -v hz="$hz" "$cpu" "/proc/$1/stat") - before))
    wall=$((($(e2e_now_us) - since) / 1000))
    e2e_log "figure: $3: $used ms of CPU in $wall ms"
    ((used * 10 < wall)) || e2e_fail "$3: the monitor used $used ms of CPU in $wall ms"
}

# e2e_near ACTUAL EXPECTED PERMILLE WHAT [SLACK]: |actual - expected| <= expected * permille / 1000 + SLACK.
e2e_near() {
    local actual=$1 expected=$2 permille=$3 slack=${5:-$E2E_SLACK}
    local diff=$((actual > expected ? actual - expected : expected - actual))
    e2e_log "figure: $4: monitor $actual, expected $expected"
    ((diff * 1000 <= expected * permille + slack * 1000)) || e2e_fail "$4: $actual is not within $permille permille of $expected"
}

e2e_equal() { [[ $1 == "$2" ]] || e2e_fail "$3: got '$1', expected '$2'"; }

# rss of the monitor in kB.
e2e_rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$MON_PID/status"; }
