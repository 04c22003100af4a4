#!/usr/bin/env bash
# Who reaches the plugin's pipe: the monitor never follows a symbolic link at the socket's place, the
# socket's directory is closed to every other user, and the monitor refuses a socket directory that
# somebody else owns or that others may enter. Refused, the monitor ends with exit code 0 without ever
# reaching the plugin; given the right place it connects.
source "$(dirname "$0")/lib.sh"
e2e_init pipe_door
e2e_netns
e2e_monitor_dir

readonly NOBODY=65534
AS_NOBODY=(setpriv --reuid=$NOBODY --regid=$NOBODY --clear-groups)

# A copy of the monitor that "nobody" may run, with a directory it may write its log into.
chmod 755 "$WORK"
NOBODY_DIR=$WORK/nobody
mkdir -p "$NOBODY_DIR"
cp "$MON_DIR/kvtmon" "$NOBODY_DIR/"
cp -r "$MON_DIR/config" "$NOBODY_DIR/"
chown -R $NOBODY:$NOBODY "$NOBODY_DIR"

# e2e_ends_by_itself LABEL PIPE_NAME COMMAND...: the monitor COMMAND names (with the user and
# environment it sets) started with that pipe name ends by itself with exit code 0.
e2e_ends_by_itself() {
    local label=$1 pipe=$2
    shift 2
    e2e_spawn /dev/null "$WORK/$label.out" "$WORK/$label.err" ip netns exec "$NS_HOST" "$@" Accelerator.exe "$pipe"
    e2e_wait_exit "$E2E_LAST_PID" 15 || e2e_fail "$label: the monitor is still running"
    e2e_equal "$E2E_EXIT" 0 "$label: the monitor's exit code"
}

# ---- root's pipe: a symbolic link to it, and another user
e2e_console_start
socket=/run/kvtmon/$E2E_TAG
[[ -S $socket ]] || e2e_fail "no socket at $socket"

link_name=$E2E_TAG-link
E2E_MADE_DIR=/run/kvtmon/$link_name
ln -s "$socket" "$E2E_MADE_DIR"
e2e_ends_by_itself via-link "\\\\.\\pipe\\$link_name" "$MON_DIR/kvtmon"
LC_ALL=C grep -q 'Init failed' "$MON_DIR/traffic.log" || e2e_fail "no failed Init in the traffic log"
e2e_log "a monitor given a symbolic link to the pipe did not follow it"

# Another user cannot even look into root's socket directory ...
if "${AS_NOBODY[@]}" stat "$socket" >"$WORK/stat.out" 2>&1; then
    e2e_fail "nobody can see root's pipe socket"
fi
grep -q 'Permission denied' "$WORK/stat.out" || e2e_fail "nobody's stat failed otherwise: $(cat "$WORK/stat.out")"
# ... and its monitor, pointed at that directory, refuses it: it is not its own.
e2e_ends_by_itself as-nobody "$PIPE" "${AS_NOBODY[@]}" env XDG_RUNTIME_DIR=/run "$NOBODY_DIR/kvtmon"
grep -q '"dir":"in","id":2,' "$WORK/console.out" && e2e_fail "a refused monitor reached the plugin"
e2e_log "another user's monitor did not reach root's pipe"

# The door is open to the monitor at the right place; it runs on beside what follows.
e2e_monitor_start Accelerator.exe
rm -f "$E2E_MADE_DIR"
E2E_MADE_DIR=

# ---- nobody's own pipe in a runtime directory of this test
RUNTIME=$WORK/runtime
mkdir -m 755 "$RUNTIME"
chown $NOBODY:$NOBODY "$RUNTIME"

# e2e_nobody_round LABEL CHANGE...: nobody's console serves the pipe; then the command CHANGE (if any)
# alters its directory, and nobody's monitor starts. Sets CONNECTED to 1 when the monitor reached it.
e2e_nobody_round() {
    local label=$1
    shift
    e2e_spawn /dev/null "$WORK/$label-console.out" "$WORK/$label-console.err" "${AS_NOBODY[@]}" env XDG_RUNTIME_DIR="$RUNTIME" \
        "$KVT_CONSOLE" --pipe "$PIPE" --connect-timeout 5 --timeout 5
    local console=$E2E_LAST_PID
    e2e_wait_line "$WORK/$label-console.err" 'waiting for the monitor' 10 || e2e_fail "$label: the console did not start"
    (($# == 0)) || "$@"
    e2e_ends_by_itself "$label" "$PIPE" "${AS_NOBODY[@]}" env XDG_RUNTIME_DIR="$RUNTIME" "$NOBODY_DIR/kvtmon"
    e2e_wait_exit "$console" 20 || e2e_fail "$label: the console did not end"
    CONNECTED=0
    grep -q 'StartResponse (2)' "$WORK/$label-console.out" && CONNECTED=1
    chown $NOBODY:$NOBODY "$RUNTIME/kvtmon"
    chmod 700 "$RUNTIME/kvtmon"
}

# Its own private directory: it connects (and, without the right to capture, reports a failed start).
e2e_nobody_round own-directory
e2e_equal "$CONNECTED" 1 "nobody's monitor reached nobody's pipe"
e2e_nobody_round open-to-others chmod 755 "$RUNTIME/kvtmon"
e2e_equal "$CONNECTED" 0 "a monitor reached its pipe through a directory others may enter"
e2e_nobody_round owned-by-root chown 0:0 "$RUNTIME/kvtmon"
e2e_equal "$CONNECTED" 0 "a monitor reached its pipe through a directory somebody else owns"
e2e_log "the monitor refused socket directories open to others or owned by somebody else"
e2e_ask GetLocalDownReflux 20 bytes
e2e_finish
