#!/usr/bin/env bash
# The monitor's life: a second instance ends at once with exit code 0 without touching its pipe while
# the first goes on; PauseMonitor stops the counting and ResumeMonitor starts it again; the end of the
# host process named on the command line ends the monitor with exit code 0.
source "$(dirname "$0")/lib.sh"
e2e_init lifecycle
e2e_netns

e2e_host_process 5501
e2e_console_start
e2e_monitor_start "$HOST"
e2e_ask "GetProcessStartTimeByProcessName name=$HOST" 48 result
e2e_equal "$ANSWER" 1 "the monitor knows the host process"

# A second instance, on a pipe a second console serves: it must end at once and never connect.
pipe2="$PIPE-2"
e2e_spawn /dev/null "$WORK/console2.out" "$WORK/console2.err" "$KVT_CONSOLE" --pipe "$pipe2" --connect-timeout 6
console2=$E2E_LAST_PID
e2e_wait_line "$WORK/console2.err" 'waiting for the monitor' 10 || e2e_fail "the second console did not start"
e2e_spawn /dev/null "$WORK/second.out" "$WORK/second.err" ip netns exec "$NS_HOST" "$MON_DIR/kvtmon" Other.exe "$pipe2"
second=$E2E_LAST_PID
since=$(e2e_now_us)
e2e_wait_exit "$second" 5 || e2e_fail "the second instance is still running after 5 s"
e2e_log "figure: the second instance ended after $((($(e2e_now_us) - since) / 1000)) ms with exit code $E2E_EXIT"
e2e_equal "$E2E_EXIT" 0 "the second instance's exit code"
e2e_wait_exit "$console2" 15 || e2e_fail "the second console did not end"
grep -q 'no monitor connected' "$WORK/console2.err" || e2e_fail "the second instance connected to its pipe"
e2e_ask GetLocalDownReflux 20 bytes
e2e_log "the first instance still answers"

# e2e_transfer NAME PORT: 2 MB from a process of that name to a sink in the peer; sets SENT.
e2e_transfer() {
    e2e_udp_sinks 30 "sink-$2:$2"
    e2e_host "$1" client udp send "$PEER_ADDR" "$2" 2000000 --rate 4000000 --seconds 30
    e2e_counts "$1" 30
    # The statistics tick sums the figures once a second.
    sleep 2
}

# Paused: a sniffer finishes the receive under way (up to a second), the decoder empties the queue and
# the statistics tick sums once a second; then nothing is counted. The total settles (the host process
# sends a byte a second, so a monitor still counting never settles): in a sanitizer build that takes
# longer than in a release build, so the test waits for it rather than for a fixed time.
e2e_send PauseMonitor
before=
deadline=$(($(e2e_now_us) + 15 * 1000000))
while :; do
    sleep 1.5
    e2e_ask GetLocalUpReflux 22 bytes
    [[ $ANSWER == "$before" ]] && break
    (($(e2e_now_us) < deadline)) || e2e_fail "the local up total still grows 15 s after PauseMonitor"
    before=$ANSWER
done
paused=e2e-paused-$E2E_ID
e2e_transfer "$paused" 5502
e2e_ask "GetProcessUpRefluxByProcessName name=$paused" 44 bytes
e2e_equal "$ANSWER" 0 "what $paused sent while the monitor was paused"
e2e_ask GetLocalUpReflux 22 bytes
e2e_equal "$ANSWER" "$before" "the local up total while paused"

e2e_send ResumeMonitor
sleep 0.5
resumed=e2e-resumed-$E2E_ID
e2e_transfer "$resumed" 5503
e2e_ask "GetProcessUpRefluxByProcessName name=$resumed" 44 bytes
e2e_near "$ANSWER" "$SENT" 10 "what $resumed sent after ResumeMonitor" 1
e2e_ask GetLocalUpReflux 22 bytes
((ANSWER >= before + SENT * 99 / 100)) || e2e_fail "the local up total did not grow after ResumeMonitor"

e2e_host_process_end "the host process's exit"
e2e_finish
