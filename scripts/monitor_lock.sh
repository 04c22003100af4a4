# The machine-wide lock that every scripted run of the real monitor holds: the monitor is single-instance
# (a second one ends at once), and the figures of a run are its own only while nothing else runs. The
# benchmark scripts and the end-to-end tests call monitor_hold_lock "$@" before they start anything.

MONITOR_LOCK_FILE=/tmp/kvt-monitor.lock

# True when this process or one of its ancestors holds the lock (a caller that ran us under flock).
monitor_lock_held_here() {
    [[ -e $MONITOR_LOCK_FILE ]] || return 1
    local inode pid holders=()
    inode=$(stat -c %i "$MONITOR_LOCK_FILE")
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

# Re-runs the calling script under the lock unless it is held for us already (by this script's caller,
# or by an outer `flock /tmp/kvt-monitor.lock ...`); waits for other runs.
monitor_hold_lock() {
    [[ ${KVT_MONITOR_LOCK_HELD:-} == 1 ]] && return 0
    monitor_lock_held_here && return 0
    echo "waiting for $MONITOR_LOCK_FILE" >&2
    exec env KVT_MONITOR_LOCK_HELD=1 flock "$MONITOR_LOCK_FILE" bash "$0" "$@"
}
