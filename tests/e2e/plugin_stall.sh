#!/usr/bin/env bash
# A plugin that stops reading its pipe must not freeze the monitor. The console stops reading and sends
# 600 requests, whose answers fill the pipe; a process then sends 625 MB over 10 s (500 Mbit/s) and the
# console reads again. The monitor must have counted the traffic all the while (its by-name total holds
# at least 99 % of the bytes sent), push fresh totals within 1.5 s of the console reading again, grow by
# less than 3 MB, and its traffic log must count the answers it dropped.
source "$(dirname "$0")/lib.sh"
e2e_init plugin_stall
e2e_netns
e2e_console_start
e2e_monitor_start Accelerator.exe

readonly PORT=5601 BYTES=625000000 RATE=62500000 REQUESTS=600
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$MON_PID/status"; }
log_line() { LC_ALL=C grep -aE -m1 -- "$1" "$MON_DIR/traffic.log" 2>/dev/null; }

sleep 2
rss_before=$(rss_kb)
e2e_peer server serve tcp recv $PORT --seconds 60
e2e_wait_line "$WORK/server.out" '^listening$' 5 || e2e_fail "the server did not start"

e2e_send pause-reading
requests=
for ((i = 0; i < REQUESTS; i++)); do
    requests+=$'GetLocalDownReflux\n'
done
printf '%s' "$requests" >&"$E2E_IN"
deadline=$(($(e2e_now_us) + 20000000))
until log_line 'plugin pipe full' >/dev/null; do
    (($(e2e_now_us) < deadline)) || e2e_fail "the monitor did not report a full pipe within 20 s"
    sleep 0.1
done
e2e_log "the monitor drops what the pipe does not take"

NAME=e2e-stall-$E2E_ID
e2e_host "$NAME" client tcp send "$PEER_ADDR" $PORT $BYTES --rate $RATE --linger 20 --seconds 40
e2e_counts "$NAME" 40
e2e_log "$NAME sent $SENT bytes while the console did not read"
# The per-process totals are summed by the once-a-second statistics tick.
sleep 1.5
rss_paused=$(rss_kb)

# The first totals push that holds the traffic is one made after the console reads again (those
# still in the pipe were made before the traffic). Its time is the console's own stamp: the backlog
# is too long to read here line by line in time.
resumed_ms=$(date +%s%3N)
e2e_send resume-reading
threshold=$((SENT * 99 / 100))
deadline=$(($(e2e_now_us) + 10000000))
until stamp=$(awk -v t=$threshold 'index($0, "\"dir\":\"in\",\"id\":78,") &&
        match($0, /"bytes":[0-9]+/) && substr($0, RSTART + 8, RLENGTH - 8) + 0 >= t {
        match($0, /"time":"[^"]*"/); print substr($0, RSTART + 8, RLENGTH - 9); exit }' "$WORK/console.out") &&
    [[ -n $stamp ]]; do
    (($(e2e_now_us) < deadline)) || e2e_fail "no totals push holding the traffic within 10 s of reading again"
    sleep 0.1
done
fresh=$(($(date -d "$stamp" +%s%3N) - resumed_ms))
e2e_log "figure: first totals push holding the traffic $fresh ms after reading again ($stamp)"
((fresh <= 1500)) || e2e_fail "the first totals push holding the traffic came $fresh ms after reading again"
e2e_drain

e2e_ask "GetProcessUpRefluxByProcessName name=$NAME" 44 bytes
ratio=$(awk -v a="$ANSWER" -v e="$SENT" 'BEGIN { printf "%.5f", a / e }')
e2e_log "figure: by-name total $ANSWER of $SENT bytes sent, ratio $ratio"
((ANSWER * 100 >= SENT * 99)) || e2e_fail "the by-name total $ANSWER holds less than 99 % of $SENT"

rss_after=$(rss_kb)
growth=$(((rss_paused > rss_after ? rss_paused : rss_after) - rss_before))
e2e_log "figure: monitor RSS $rss_before kB before, $rss_paused kB paused, $rss_after kB after: +$growth kB"
((growth < 3072)) || e2e_fail "the monitor grew by $growth kB"

e2e_wait_line "$MON_DIR/traffic.log" 'plugin pipe read again: [0-9]+ pushes and [0-9]+ answers dropped' 5 ||
    e2e_fail "the traffic log does not count the dropped messages"
e2e_log "figure: traffic log: $E2E_MATCH"
answers=${E2E_MATCH##*pushes and }
answers=${answers%% answers*}
((answers > 0)) || e2e_fail "the traffic log counts no dropped answers"

e2e_finish
