# The harness of the end-to-end tests, sourced by each test script.
#
# A test makes two network namespaces of its own, "host" (the machine the monitor watches: the monitor
# and the traffic it must count) and "peer" (the far end), joined by a veth pair, and, when it asks, a
# second pair whose host end is named like the accelerator's tunnel ("ppp...", 172.31.x.x). The plugin
# console serves the pipe in the root namespace; the pipe's socket lives in /run/kvtmon, which every
# namespace shares. Everything the test makes is removed by the EXIT trap, whatever happens.
#
# From CMake: KVT_MONITOR (the monitor program, with config/ beside it), KVT_CONSOLE (kvtmon-plugin),
# KVT_TRAFFIC (kvt_e2e_traffic). Exit code 77 means skipped (not root, or ip missing).

set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/monitor_lock.sh"

readonly E2E_SKIP=77
E2E_PIDS=()
E2E_IN=
E2E_OUT=
E2E_PARTIAL=
E2E_LINE=
E2E_DONE=0

e2e_log() { printf '[%s] %s\n' "$(date +%T)" "$*"; }

e2e_fail() {
    printf '[%s] FAIL: %s\n' "$(date +%T)" "$*" >&2
    exit 1
}

# Microseconds of the wall clock, without a process.
e2e_now_us() { local t=${EPOCHREALTIME/./}; echo $((10#$t)); }

e2e_init() {
    E2E_NAME=$1
    [[ $(id -u) -eq 0 ]] || { echo "skipped: network namespaces need root"; exit $E2E_SKIP; }
    # One monitor on the machine at a time (a second one would end at once): the test re-runs itself
    # under the machine-wide lock, after any other test or benchmark that holds it.
    monitor_hold_lock
    local tool
    for tool in ip; do
        command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit $E2E_SKIP; }
    done
    [[ -x ${KVT_MONITOR:-} && -x ${KVT_CONSOLE:-} && -x ${KVT_TRAFFIC:-} ]] ||
        e2e_fail "KVT_MONITOR, KVT_CONSOLE and KVT_TRAFFIC must name the programs"
    # Short, unique names: interface names have at most 15 characters.
    E2E_ID=$$
    E2E_TAG=kvte2e-$E2E_ID
    NS_HOST=$E2E_TAG-h
    NS_PEER=$E2E_TAG-p
    IF_HOST=kvt${E2E_ID}a
    IF_PEER=kvt${E2E_ID}b
    IF_TUNNEL=ppp$E2E_ID
    IF_TUNNEL_PEER=kvt${E2E_ID}t
    HOST_ADDR=10.231.0.1
    PEER_ADDR=10.231.0.2
    TUNNEL_ADDR=172.31.231.1
    TUNNEL_PEER_ADDR=172.31.231.2
    PIPE="\\\\.\\pipe\\$E2E_TAG"
    WORK=$(mktemp -d "/tmp/kvte2e-$E2E_NAME.XXXXXX")
    mkdir -p "$WORK/bin"
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
    e2e_log "$E2E_NAME: work directory $WORK"
}

e2e_cleanup() {
    local code=$?
    set +e
    trap - EXIT INT TERM
    # A reader of the output that went away must not cut the cleanup short.
    trap '' PIPE
    [[ -n $E2E_IN ]] && exec {E2E_IN}>&-
    [[ -n $E2E_OUT ]] && exec {E2E_OUT}<&-
    local pid
    for pid in "${E2E_PIDS[@]}"; do
        kill -TERM "$pid" 2>/dev/null
    done
    for pid in "${E2E_PIDS[@]}"; do
        for _ in $(seq 40); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.05
        done
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    # Whatever still runs one of this test's copied programs (a monitor a console launched, say).
    local exe
    for exe in /proc/[0-9]*/exe; do
        [[ $(readlink "$exe" 2>/dev/null) == "$WORK"/* ]] || continue
        pid=${exe#/proc/}
        kill -KILL "${pid%/exe}" 2>/dev/null
    done
    # A sanitizer's report fails the test, whatever else happened: a sanitized monitor may go on after
    # one, or end in a way the test did not look at.
    if ((code == 0)) && [[ -d ${WORK:-} ]] && e2e_sanitizer_report; then
        code=1
    fi
    [[ -n ${E2E_MADE_DIR:-} ]] && rm -rf "$E2E_MADE_DIR"
    # Deleting a namespace deletes the veth ends in it, and with them their peers.
    ip netns del "$NS_HOST" 2>/dev/null
    ip netns del "$NS_PEER" 2>/dev/null
    if ((code != 0)) && [[ -d ${WORK:-} ]]; then
        e2e_show_diagnostics
    fi
    [[ -d ${WORK:-} ]] && rm -rf "$WORK"
    exit "$code"
}

# True, with the report's first lines printed, when a program's standard error holds a report of
# AddressSanitizer, LeakSanitizer, UBSan or ThreadSanitizer.
e2e_sanitizer_report() {
    local f found=1
    for f in "$WORK"/*.err; do
        [[ -s $f ]] || continue
        if grep -qE '^(==[0-9]+==)?(ERROR|WARNING): (Address|Leak|Thread|Memory)Sanitizer|: runtime error: ' "$f"; then
            printf '[%s] FAIL: a sanitizer report in %s:\n' "$(date +%T)" "${f#"$WORK"/}" >&2
            grep -m1 -A30 -E '(ERROR|WARNING): [A-Za-z]+Sanitizer|: runtime error: ' "$f" >&2
            found=0
        fi
    done
    return $found
}

e2e_show_diagnostics() {
    local f
    for f in "$WORK"/*.err "$WORK/mon/traffic.log"; do
        [[ -s $f ]] || continue
        echo "---- ${f#"$WORK"/} (last 30 lines)"
        if [[ $f == *traffic.log ]]; then
            tail -n 30 "$f" | iconv -f GBK -t UTF-8 2>/dev/null || tail -n 30 "$f"
        else
            tail -n 30 "$f"
        fi
    done
    if [[ -s $WORK/console.out ]]; then
        echo "---- console.out (last 20 lines without the totals pushes)"
        grep -v '"id":7[78],\|"id":8[01],' "$WORK/console.out" | tail -n 20
    fi
}

# e2e_spawn IN OUT ERR COMMAND...: runs a command in the background with those standard streams and
# the console's script end closed (else the console would never see the end of its script), remembers
# it for the cleanup and sets E2E_LAST_PID.
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

e2e_netns() {
    local ns
    for ns in "$NS_HOST" "$NS_PEER"; do
        ip netns add "$ns"
        # No IPv6 at all: no router solicitations or neighbour discovery on the links.
        # No TCP timestamps and no selective acknowledgements: the monitor counts TCP options as
        # payload, and without them a segment's payload is what the programs themselves count (and a
        # bare acknowledgement counts nothing, also after a loss on a busy machine).
        ip netns exec "$ns" sysctl -qw net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1 \
            net.ipv4.tcp_timestamps=0 net.ipv4.tcp_sack=0
    done
    ip link add "$IF_HOST" netns "$NS_HOST" type veth peer name "$IF_PEER" netns "$NS_PEER"
    ip -n "$NS_HOST" addr add "$HOST_ADDR/24" dev "$IF_HOST"
    ip -n "$NS_PEER" addr add "$PEER_ADDR/24" dev "$IF_PEER"
    ip -n "$NS_HOST" link set "$IF_HOST" up
    ip -n "$NS_PEER" link set "$IF_PEER" up
}

# The accelerator's tunnel as the monitor recognises it: an interface whose name starts with "ppp" and
# that holds a 172.x address. Made before the monitor starts: it looks for the tunnel at start.
e2e_tunnel() {
    ip link add "$IF_TUNNEL" netns "$NS_HOST" type veth peer name "$IF_TUNNEL_PEER" netns "$NS_PEER"
    ip -n "$NS_HOST" addr add "$TUNNEL_ADDR/24" dev "$IF_TUNNEL"
    ip -n "$NS_PEER" addr add "$TUNNEL_PEER_ADDR/24" dev "$IF_TUNNEL_PEER"
    ip -n "$NS_HOST" link set "$IF_TUNNEL" up
    ip -n "$NS_PEER" link set "$IF_TUNNEL_PEER" up
}

# rx_bytes or tx_bytes of a host-side interface, as its namespace sees it.
e2e_if_bytes() {
    ip netns exec "$NS_HOST" cat "/sys/class/net/$1/statistics/$2"
}

# ---- traffic

# A copy of the traffic program under its own name: the monitor tells processes apart by their file
# names. Prints the copy's path.
e2e_tool() {
    local path=$WORK/bin/$1
    [[ -x $path ]] || cp "$KVT_TRAFFIC" "$path"
    echo "$path"
}

# e2e_host ROLE ARGS...: the traffic program named ROLE, in the host namespace; output in $WORK/ROLE.out.
e2e_host() {
    e2e_host_named "$1" "$@"
}

# e2e_host_named LABEL NAME ARGS...: the same with a program name that several processes may share;
# output in $WORK/LABEL.out.
e2e_host_named() {
    local label=$1 program
    program=$(e2e_tool "$2")
    shift 2
    e2e_spawn /dev/null "$WORK/$label.out" "$WORK/$label.err" ip netns exec "$NS_HOST" "$program" "$@"
}

# e2e_peer LABEL ARGS...: the traffic program in the peer namespace; output in $WORK/LABEL.out.
e2e_peer() {
    local label=$1
    shift
    e2e_spawn /dev/null "$WORK/$label.out" "$WORK/$label.err" ip netns exec "$NS_PEER" "$KVT_TRAFFIC" "$@"
}

# e2e_udp_sinks SECONDS LABEL:PORT...: UDP receivers in the peer namespace for SECONDS, each listening
# when this returns; output in $WORK/LABEL.out.
e2e_udp_sinks() {
    local seconds=$1 sink
    shift
    for sink in "$@"; do
        e2e_peer "${sink%%:*}" serve udp recv "${sink#*:}" --seconds "$seconds"
    done
    for sink in "$@"; do
        e2e_wait_line "$WORK/${sink%%:*}.out" '^listening$' 5 || e2e_fail "${sink%%:*} did not start"
    done
}

# e2e_host_process PORT: the process the monitor's command line names, HOST (e2e-host-ID), in the host
# namespace for 120 s. It keeps a UDP port in use, so the monitor has a record of it from the start.
# Sets HOST and HOST_PID.
e2e_host_process() {
    HOST=e2e-host-$E2E_ID
    e2e_udp_sinks 120 "host-sink:$1"
    e2e_host "$HOST" hold "$1" "$PEER_ADDR" --seconds 120
    HOST_PID=$E2E_LAST_PID
    e2e_wait_line "$WORK/$HOST.out" '^holding$' 5 || e2e_fail "the host process did not start"
}

# e2e_host_process_end WHY: the host process ends; the monitor looks every 5 s, then must end with exit
# code 0.
e2e_host_process_end() {
    kill -TERM "$HOST_PID"
    e2e_wait_exit "$HOST_PID" 5 || e2e_fail "the host process did not end"
    e2e_monitor_ended 15 "$1"
}

# Waits until a line of FILE matches the extended regular expression; sets E2E_MATCH to it.
e2e_wait_line() {
    local file=$1 pattern=$2 seconds=$3
    local deadline=$(($(e2e_now_us) + seconds * 1000000))
    while (($(e2e_now_us) < deadline)); do
        if [[ -f $file ]] && E2E_MATCH=$(grep -E -m1 -- "$pattern" "$file"); then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# The "sent=N received=M" line of a role: sets SENT and RECEIVED.
e2e_counts() {
    local role=$1 seconds=${2:-30}
    e2e_wait_line "$WORK/$role.out" '^sent=[0-9]+ received=[0-9]+$' "$seconds" ||
        e2e_fail "$role reported no counts within $seconds s"
    SENT=${E2E_MATCH#sent=}
    SENT=${SENT%% *}
    RECEIVED=${E2E_MATCH##*received=}
}

# ---- the console and the monitor

# The plugin console, serving the pipe: its script comes from a FIFO the test writes, its JSON lines go
# to $WORK/console.out, which e2e_await reads.
e2e_console_start() {
    mkfifo "$WORK/console.in"
    : >"$WORK/console.out"
    e2e_spawn "$WORK/console.in" "$WORK/console.out" "$WORK/console.err" "$KVT_CONSOLE" --script --json \
        --pipe "$PIPE" --connect-timeout 30 --timeout 20 --exit --exit-timeout 20
    CONSOLE_PID=$E2E_LAST_PID
    # Read-write: opening does not wait for the reader, and the console sees the end of its script only
    # when this, the one writer, is closed.
    exec {E2E_IN}<>"$WORK/console.in"
    exec {E2E_OUT}<"$WORK/console.out"
    e2e_wait_line "$WORK/console.err" 'waiting for the monitor' 10 || e2e_fail "the console did not make the pipe"
}

# A copy of the monitor with its configuration in a directory of its own: it reads its configuration
# and writes traffic.log beside itself. Prints the directory.
e2e_monitor_dir() {
    MON_DIR=$WORK/mon
    mkdir -p "$MON_DIR"
    cp "$KVT_MONITOR" "$MON_DIR/kvtmon"
    cp -r "$(dirname "$KVT_MONITOR")/config" "$MON_DIR/"
    # The settings file's directory, empty: the build tree's may hold settings of earlier runs.
    [[ ! -d $(dirname "$KVT_MONITOR")/tmp ]] || mkdir "$MON_DIR/tmp"
}

# e2e_monitor_start HOST [SECONDS]: the monitor in the host namespace with the command line "HOST PIPE";
# waits for its start result (30 s unless given) and requires 1.
e2e_monitor_start() {
    local host=$1 seconds=${2:-30}
    [[ -n ${MON_DIR:-} ]] || e2e_monitor_dir
    e2e_spawn /dev/null "$WORK/monitor.out" "$WORK/monitor.err" ip netns exec "$NS_HOST" "$MON_DIR/kvtmon" "$host" "$PIPE"
    MON_PID=$E2E_LAST_PID
    e2e_await 2 "$seconds" || e2e_fail "no start result from the monitor within $seconds s"
    [[ $(e2e_field result) == 1 ]] || e2e_fail "the monitor reported start result $(e2e_field result)"
    MON_STARTED_US=$(e2e_now_us)
    e2e_log "monitor started (pid $MON_PID)"
}

e2e_send() {
    printf '%s\n' "$*" >&"$E2E_IN"
}

# The next complete line of the console's output into E2E_LINE; false when none comes within SECONDS.
e2e_read_line() {
    local deadline=$(($(e2e_now_us) + $1 * 1000000))
    local chunk
    while :; do
        if IFS= read -r chunk <&"$E2E_OUT"; then
            E2E_LINE=$E2E_PARTIAL$chunk
            E2E_PARTIAL=
            return 0
        fi
        E2E_PARTIAL+=$chunk
        (($(e2e_now_us) < deadline)) || return 1
        sleep 0.05
    done
}

# Skips every line the console has printed so far: what is awaited next arrives after this moment.
e2e_drain() {
    local chunk
    while IFS= read -r chunk <&"$E2E_OUT"; do
        E2E_PARTIAL=
    done
    E2E_PARTIAL+=$chunk
}

# e2e_await ID SECONDS [UNWANTED_ID]: reads on to the next message with that id from the monitor
# (skipping the others); E2E_LINE holds it. False when none comes in time; fails the test when a
# message with UNWANTED_ID comes first.
e2e_await() {
    local id=$1 seconds=$2 unwanted=${3:-}
    local deadline=$(($(e2e_now_us) + seconds * 1000000))
    while :; do
        local left=$(((deadline - $(e2e_now_us)) / 1000000 + 1))
        ((left > 0)) && e2e_read_line "$left" || return 1
        [[ $E2E_LINE == *'"dir":"in","id":'"$id"',"'* ]] && return 0
        [[ -n $unwanted && $E2E_LINE == *'"dir":"in","id":'"$unwanted"',"'* ]] &&
            e2e_fail "message $unwanted came before $id: $E2E_LINE"
        (($(e2e_now_us) < deadline)) || return 1
    done
}

# A field of the message in E2E_LINE: a number as printed (u64 figures exceed what JSON tools keep
# exact, so no JSON tool reads them), a text or time without its quotes (the names here need no escapes).
e2e_field() {
    local number='"'"$1"'":(-?[0-9]+)[,}]' text='"'"$1"'":"([^"]*)"'
    local fields=${E2E_LINE#*'"fields":{'}
    if [[ $fields =~ $number || $fields =~ $text ]]; then
        echo "${BASH_REMATCH[1]}"
    else
        echo "no field $1 in: $E2E_LINE" >&2
        return 1
    fi
}

# ---- raw requests: little-endian fields as hex, for messages the monitor must refuse

e2e_hex32() { printf '%02x%02x%02x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
e2e_hex16() { printf '%02x%02x' $(($1 & 255)) $(($1 >> 8 & 255)); }
# UTF-16LE of an ASCII text.
e2e_hex_text() {
    local text=$1 i
    for ((i = 0; i < ${#text}; i++)); do
        printf '%02x00' "'${text:i:1}"
    done
}
# e2e_frame ID BODY_HEX [LENGTH]: the script line of a message with a 9-byte header; the length field is
# the true length unless given.
e2e_frame() {
    local id=$1 body=${2:-} length=${3:-}
    [[ -n $length ]] || length=$((9 + ${#body} / 2))
    echo "raw $(e2e_hex32 "$length")$(e2e_hex32 "$id")01$body"
}

# e2e_ask 'REQUEST ARGS' ANSWER_ID FIELD: sends a request, waits for its answer and sets ANSWER to the
# field. (Not in a command substitution: the reading state lives in this shell.)
e2e_ask() {
    e2e_send "$1"
    e2e_await "$2" 20 || e2e_fail "no answer $2 to: $1"
    ANSWER=$(e2e_field "$3")
}

# The namespaces, the tunnel, the console and the monitor as the accelerator starts it.
e2e_accelerated_monitor_start() {
    e2e_netns
    e2e_tunnel
    e2e_console_start
    e2e_monitor_start Accelerator.exe
}

# e2e_accelerate NAMES: SetAccelerateProcess of NAMES (';' between them), which must succeed.
e2e_accelerate() {
    e2e_ask "SetAccelerateProcess names=$1; separator=;" 16 result
    e2e_equal "$ANSWER" 1 "SetAccelerateProcess"
}

# e2e_monitor_ended SECONDS WHY: the monitor must end by itself within SECONDS, with exit code 0.
e2e_monitor_ended() {
    local seconds=$1 why=$2 since
    since=$(e2e_now_us)
    e2e_wait_exit "$MON_PID" "$seconds" || e2e_fail "the monitor did not end within $seconds s of $why"
    e2e_log "figure: the monitor ended $((($(e2e_now_us) - since) / 1000)) ms after $why, exit code $E2E_EXIT"
    [[ $E2E_EXIT == 0 ]] || e2e_fail "the monitor ended with exit code $E2E_EXIT after $why"
    MON_PID=
}

# The end of every test: the console's script ends, so it sends ExitMonitor (unless the monitor has
# gone already) and waits for the monitor to close the pipe; the monitor must end with exit code 0.
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
    local pid=$1 seconds=$2
    local deadline=$(($(e2e_now_us) + seconds * 1000000))
    while kill -0 "$pid" 2>/dev/null; do
        # A zombie still answers kill -0; wait below reaps it.
        [[ $(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null) == Z ]] && break
        (($(e2e_now_us) < deadline)) || return 1
        sleep 0.1
    done
    E2E_EXIT=0
    wait "$pid" || E2E_EXIT=$?
    return 0
}

# ---- checks

# CPU time (user and system, every thread) a process has used so far, in milliseconds.
e2e_cpu_ms() {
    awk -v hz="$(getconf CLK_TCK)" '{ sub(/^.*\) /, ""); print int(($12 + $13) * 1000 / hz) }' "/proc/$1/stat"
}

# e2e_idle_cpu PID SECONDS WHAT: the CPU time an otherwise idle process uses over SECONDS, as a figure.
# An idle monitor uses next to nothing; one that spins (a loop that fails at once and tries again)
# takes what the busy machine leaves it, which may be well under a whole core, and over a tenth of the
# interval fails the test.
e2e_idle_cpu() {
    local pid=$1 seconds=$2 what=$3 before after since used wall
    before=$(e2e_cpu_ms "$pid")
    since=$(e2e_now_us)
    sleep "$seconds"
    after=$(e2e_cpu_ms "$pid")
    used=$((after - before))
    wall=$((($(e2e_now_us) - since) / 1000))
    e2e_log "figure: $what: $used ms of CPU in $wall ms"
    ((used * 10 < wall)) || e2e_fail "$what: the monitor used $used ms of CPU in $wall ms"
}

# The decoder takes every TCP header as 20 bytes, so a handshake's option bytes count as payload; now
# that a new port's first packets are kept, they show in the totals: a few bytes a connection.
E2E_HANDSHAKE_SLACK=64

# e2e_near ACTUAL EXPECTED PERMILLE WHAT [SLACK]: |actual - expected| <= expected * permille / 1000 +
# SLACK bytes (for the probe bytes a client sends before the monitor can know its port).
e2e_near() {
    local actual=$1 expected=$2 permille=$3 what=$4 slack=${5:-0}
    local diff=$((actual > expected ? actual - expected : expected - actual))
    local ratio
    ratio=$(awk -v a="$actual" -v e="$expected" 'BEGIN { if (e == 0) print "-"; else printf "%.5f", a / e }')
    e2e_log "figure: $what: monitor $actual, expected $expected, ratio $ratio"
    ((diff * 1000 <= expected * permille + slack * 1000)) ||
        e2e_fail "$what: $actual is not within $permille permille of $expected"
}

e2e_equal() {
    [[ $1 == "$2" ]] || e2e_fail "$3: got '$1', expected '$2'"
}
