#!/usr/bin/env bash
# The monitor's life: PauseMonitor stops the counting and ResumeMonitor starts it again. When the plugin
# dies the monitor (the pipe's client) runs on without one, quietly and without spinning, and connects
# to no pipe again: neither it nor a second instance, which ends at once with exit code 0, comes to a
# plugin serving the same name. The end of the host process named on its command line ends it with
# exit code 0.
source "$(dirname "$0")/lib.sh"
e2e_init lifecycle
e2e_netns
HOST=e2e-host-$E2E_ID
e2e_server "$HOST" 5501
HOST_PID=$SERVER_PID
e2e_console_start
e2e_monitor_start "$HOST"
e2e_ask "GetProcessStartTimeByProcessName name=$HOST" 48 result
e2e_equal "$ANSWER" 1 "the monitor knows the host process"

# e2e_transfer NAME PORT: 2 MB of UDP sent by a process of that name; sets SENT.
e2e_transfer() {
    e2e_server "$1" "$2"
    e2e_client "$1" "$HOST_ADDR" "$2" -R -u -l 1400 -b 32M -n 2000000
    e2e_sent "$1"
}

# Answered after PauseMonitor, so the pause has been handled; then each sniffer finishes the receive
# under way (at most 1 s).
e2e_send PauseMonitor
e2e_ask GetLocalUpReflux 22 bytes
sleep 1.5
e2e_ask GetLocalUpReflux 22 bytes
before=$ANSWER
paused=e2e-paused-$E2E_ID
e2e_transfer "$paused" 5502
# As long as the resumed transfer below may take to be counted.
sleep 3
e2e_ask "GetProcessUpRefluxByProcessName name=$paused" 44 bytes
e2e_equal "$ANSWER" 0 "what $paused sent while the monitor was paused"
e2e_ask GetLocalUpReflux 22 bytes
e2e_equal "$ANSWER" "$before" "the local up total while paused"

e2e_send ResumeMonitor
resumed=e2e-resumed-$E2E_ID
e2e_transfer "$resumed" 5503
e2e_counted_near "GetProcessUpRefluxByProcessName name=$resumed" 44 "$SENT" "what $resumed sent after ResumeMonitor" 3
# A push of the totals has come, so the monitor writes to the pipe once a second.
e2e_await 77 10 || e2e_fail "no totals push"

# The plugin dies without a word; several rounds of pushes then go into a broken pipe.
kill -KILL "$CONSOLE_PID"
e2e_wait_exit "$CONSOLE_PID" 5 || e2e_fail "the console did not die"
exec {E2E_IN}>&- {E2E_OUT}<&-
E2E_IN='' E2E_OUT=''
e2e_idle_cpu "$MON_PID" 4 "the monitor in the 4 s after the plugin's end went away"

# A plugin serving the same name again, and a second instance given that pipe.
e2e_spawn /dev/null "$WORK/console2.out" "$WORK/console2.err" "$KVT_CONSOLE" --pipe "$PIPE" --connect-timeout 6
console2=$E2E_LAST_PID
e2e_wait_line "$WORK/console2.err" 'waiting for the monitor' 10 || e2e_fail "the second console did not start"
e2e_spawn /dev/null "$WORK/second.out" "$WORK/second.err" ip netns exec "$NS_HOST" "$MON_DIR/kvtmon" Other.exe "$PIPE"
e2e_wait_exit "$E2E_LAST_PID" 5 || e2e_fail "the second instance is still running after 5 s"
e2e_equal "$E2E_EXIT" 0 "the second instance's exit code"
e2e_wait_exit "$console2" 15 || e2e_fail "the second console did not end"
grep -q 'no monitor connected' "$WORK/console2.err" || e2e_fail "a monitor connected to the new plugin"
kill -0 "$MON_PID" 2>/dev/null || e2e_fail "the monitor ended without its plugin"

# The monitor looks for its host every 5 s.
kill -TERM "$HOST_PID"
e2e_monitor_ended 15 "the host process's exit without a plugin"
e2e_log "$E2E_NAME: passed"
