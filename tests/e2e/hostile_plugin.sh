#!/usr/bin/env bash
# A plugin that misbehaves. A plugin that stops reading its pipe while 600 answers fill it and 625 MB go
# by: the monitor counts all the while, pushes fresh totals within 1.5 s of the plugin reading again,
# grows by less than 3 MB and logs the answers it dropped. Then ExitMonitor during a flood of small
# packets: it still ends within 3 s with exit code 0.
source "$(dirname "$0")/lib.sh"
e2e_init hostile_plugin
e2e_netns
e2e_console_start
e2e_monitor_start Accelerator.exe

# ---- the stalled plugin
NAME=e2e-stall-$E2E_ID
e2e_server "$NAME" 5601
rss_before=$(e2e_rss_kb)
e2e_send pause-reading
printf 'GetLocalDownReflux\n%.0s' $(seq 600) >&"$E2E_IN"
e2e_wait_line "$MON_DIR/traffic.log" 'plugin pipe full' 20 || e2e_fail "the monitor did not report a full pipe within 20 s"
e2e_client stall "$HOST_ADDR" 5601 -R -b 500M -n 625000000
e2e_sent stall 60
# Summed by the once-a-second statistics tick: the first push after this holds it.
sleep 1.5
rss_paused=$(e2e_rss_kb)
# The first totals push that holds the traffic comes after the console reads again (those still in the
# pipe were made before the traffic). Its time is the console's own stamp: the backlog is too long to
# read here line by line in time.
resumed_ms=$(date +%s%3N)
e2e_send resume-reading
deadline=$(($(e2e_now_us) + 10000000))
until stamp=$(awk -v t=$((SENT * 99 / 100)) 'index($0, "\"dir\":\"in\",\"id\":78,") &&
        match($0, /"bytes":[0-9]+/) && substr($0, RSTART + 8, RLENGTH - 8) + 0 >= t {
        match($0, /"time":"[^"]*"/); print substr($0, RSTART + 8, RLENGTH - 9); exit }' "$WORK/console.out") &&
    [[ -n $stamp ]]; do
    (($(e2e_now_us) < deadline)) || e2e_fail "no totals push holding the traffic within 10 s of reading again"
    sleep 0.1
done
fresh=$(($(date -d "$stamp" +%s%3N) - resumed_ms))
e2e_log "figure: first totals push holding the traffic $fresh ms after reading again"
((fresh <= 1500)) || e2e_fail "the first totals push holding the traffic came $fresh ms after reading again"
# Its answer comes after every answer still in the pipe.
e2e_ask "GetProcessUpRefluxByProcessName name=$NAME" 44 bytes
((ANSWER * 100 >= SENT * 99)) || e2e_fail "the by-name total $ANSWER holds less than 99 % of $SENT"
rss_after=$(e2e_rss_kb)
growth=$(((rss_paused > rss_after ? rss_paused : rss_after) - rss_before))
e2e_log "figure: monitor RSS $rss_before kB before, $rss_paused kB paused, $rss_after kB after"
((growth < 3072)) || e2e_fail "the monitor grew by $growth kB"
e2e_wait_line "$MON_DIR/traffic.log" 'plugin pipe read again: [0-9]+ pushes and [1-9][0-9]* answers dropped' 5 ||
    e2e_fail "the traffic log does not count the dropped answers"

# ---- ExitMonitor under a flood of 18-byte datagrams (64-byte frames), as fast as one sender goes
e2e_server flood 5901
e2e_client flood "$HOST_ADDR" 5901 -R -u -l 18 -b 0 -t 40
e2e_ask GetLocalUpReflux 22 bytes
e2e_ask_until GetLocalUpReflux 22 bytes "ANSWER > $ANSWER + 1000000" 20
before=$(e2e_if_stat "$IF_HOST" tx_packets)
since=$(e2e_now_us)
sleep 1
rate=$((($(e2e_if_stat "$IF_HOST" tx_packets) - before) * 1000000 / ($(e2e_now_us) - since)))
((rate > 1000)) || e2e_fail "no flood: $rate packets/s"
e2e_send ExitMonitor
e2e_monitor_ended 3 "ExitMonitor during a flood of $rate packets/s"
e2e_finish
