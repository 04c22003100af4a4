# The machine-wide lock that every run of the real monitor holds (the monitor is single-instance and
# other runs share the machine). Sourced by the benchmark scripts, which call bench_hold_lock "$@" first.

readonly BENCH_LOCK_FILE=/tmp/kvt-monitor.lock

# True when this process or one of its ancestors holds the lock (a caller that ran us under flock).
bench_lock_held_here() {
    [[ -e $BENCH_LOCK_FILE ]] || return 1
    local inode pid holders=()
    inode=$(stat -c %i "$BENCH_LOCK_FILE")
    # /proc/locks: "N: FLOCK ADVISORY WRITE PID MAJ:MIN:INODE START END"
    while read -r _ kind _ _ pid device _; do
        [[ $kind == FLOCK && ${device##*:} == "$inode" ]] && holders+=("$pid")
    done </proc/locks
    ((${#holders[@]})) || return 1
    pid=$$
    while ((pid > 1)); do
        local h
        for h in "${holders[@]}"; do
            [[ $h == "$pid" ]] && return 0
        done
        pid=$(awk '{print $4}' "/proc/$pid/stat" 2>/dev/null) || return 1
        [[ -n $pid ]] || return 1
    done
    return 1
}

# Re-runs the calling script under the lock unless it is held for us already; waits for other runs.
bench_hold_lock() {
    [[ ${KVT_BENCH_LOCK_HELD:-} == 1 ]] && return 0
    bench_lock_held_here && return 0
    echo "waiting for $BENCH_LOCK_FILE" >&2
    exec env KVT_BENCH_LOCK_HELD=1 flock "$BENCH_LOCK_FILE" bash "$0" "$@"
}
