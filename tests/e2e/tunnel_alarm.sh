#!/usr/bin/env bash
# The accelerator's tunnel and the alarm. An interface named "ppp..." holding a 172.x address is found at
# start, and its octet counters become the accelerated totals. Each pushed accelerated total must lie
# between the interface's counters read just before and just after it; the local totals are the
# accelerated ones plus the other processes' traffic, the accelerated game's own captured packets left
# out. Then the game keeps using the tunnel while the other process sends far more outside it. With
# alarms switched off (SetAlarmState 0, from the start) nothing is reported for over a minute; once they
# are on again, an alarm line naming that process appears on the monitor's standard error (the first
# pop-up needs its conditions to hold for more than 60 s): the silence was the switch's. The console
# subscribed to alarms, and a PostAlarmRecord naming that process reaches it too. SIGTERM ends the
# monitor with exit code 0.
source "$(dirname "$0")/lib.sh"
e2e_init tunnel_alarm
e2e_netns
# The tunnel as the monitor recognises it, made before it starts.
tunnel=ppp$E2E_ID tunnel_addr=172.31.231.1
e2e_link "$tunnel" "kvt${E2E_ID}t" "$tunnel_addr" 172.31.231.2
e2e_console_start
e2e_monitor_start Accelerator.exe
game=e2e-game-$E2E_ID
other=e2e-other-$E2E_ID
e2e_send "SetAlarmState on=0"
e2e_send "SubscribeAlarms on=1"
e2e_ask "SetAccelerateProcess names=$game; separator=;" 16 result
e2e_equal "$ANSWER" 1 "SetAccelerateProcess"

# e2e_bracket WHAT: one round of totals pushes between two readings of the tunnel's counters; sets
# LOCAL_DOWN, LOCAL_UP, ACC_DOWN, ACC_UP.
e2e_bracket() {
    local rx1 tx1 rx2 tx2 id
    e2e_drain
    rx1=$(e2e_if_stat "$tunnel" rx_bytes) tx1=$(e2e_if_stat "$tunnel" tx_bytes)
    # The round in flight may have read the counters before this; the next one reads them after.
    e2e_await 81 5 || e2e_fail "no totals pushes"
    for id in 77:LOCAL_DOWN 78:LOCAL_UP 80:ACC_DOWN 81:ACC_UP; do
        e2e_await "${id%:*}" 5 || e2e_fail "no push ${id%:*}"
        printf -v "${id#*:}" '%s' "$(e2e_field bytes)"
    done
    rx2=$(e2e_if_stat "$tunnel" rx_bytes) tx2=$(e2e_if_stat "$tunnel" tx_bytes)
    e2e_log "figure: $1: tunnel rx $rx1..$rx2 pushed $ACC_DOWN, tx $tx1..$tx2 pushed $ACC_UP; local $LOCAL_DOWN, $LOCAL_UP"
    ((rx1 <= ACC_DOWN && ACC_DOWN <= rx2)) || e2e_fail "$1: accelerated down $ACC_DOWN is not within $rx1..$rx2"
    ((tx1 <= ACC_UP && ACC_UP <= tx2)) || e2e_fail "$1: accelerated up $ACC_UP is not within $tx1..$tx2"
}

# The game sends and receives 3 MB through the tunnel (two processes of that name); the other process
# sends 2 MB outside it.
e2e_server "$game" 5301
e2e_server "$game" 5302
e2e_server "$other" 5303
e2e_client game-up "$tunnel_addr" 5301 -R -u -l 1400 -b 8M -n 3000000
e2e_client game-down "$tunnel_addr" 5302 -u -l 1400 -b 8M -n 3000000
e2e_client other "$HOST_ADDR" 5303 -R -b 8M -n 2000000
sleep 1
e2e_bracket "during the traffic"
e2e_sent game-up
e2e_sent game-down
e2e_sent other
other_sent=$SENT
# Once the traffic is summed, the local up total beyond the tunnel holds the other process's payload.
deadline=$(($(e2e_now_us) + 10000000))
while e2e_bracket "after the traffic"; ((LOCAL_UP - ACC_UP < other_sent * 99 / 100)); do
    (($(e2e_now_us) < deadline)) || break
done
((ACC_DOWN > 3000000 && ACC_UP > 3000000)) || e2e_fail "the tunnel's 3 MB each way are not in the accelerated totals"
e2e_near "$((LOCAL_DOWN - ACC_DOWN))" 0 0 "local down beyond the tunnel (the other process received nothing)"
e2e_near "$((LOCAL_UP - ACC_UP))" "$other_sent" 10 "local up beyond the tunnel: the other process's payload"
# The answers agree with the pushes around them.
e2e_ask GetAccelerateTotalReflux 30 bytes
accelerated=$ANSWER
((accelerated >= ACC_DOWN + ACC_UP && accelerated <= ACC_DOWN + ACC_UP + 1000)) ||
    e2e_fail "GetAccelerateTotalReflux $accelerated after pushes of $ACC_DOWN and $ACC_UP"
e2e_ask GetLocalTotalReflux 24 bytes
e2e_near "$((ANSWER - accelerated))" "$other_sent" 10 "GetLocalTotalReflux beyond the accelerated total"

# ---- the alarm: the game goes on in the tunnel while the other process sends far more outside it
e2e_client game "$tunnel_addr" 5301 -R -u -l 1400 -b 400K -t 200
e2e_client heavy "$HOST_ADDR" 5303 -R -u -l 1400 -b 16M -t 200
# The conditions: the game runs and uses the tunnel, and most of the traffic is not accelerated (the
# game adds 50 KB/s to the accelerated total read above).
e2e_ask_until GetLocalTotalReflux 24 bytes "(ANSWER - accelerated) * 2 > ANSWER"
e2e_log "figure: local total $ANSWER, accelerated $accelerated"
! e2e_wait_line "$WORK/monitor.err" "$other" 65 || e2e_fail "an alarm with alarms switched off: $E2E_MATCH"
! grep -q '"id":102,' "$WORK/console.out" || e2e_fail "an alarm record with alarms switched off"
e2e_send "SetAlarmState on=1"
since=$(e2e_now_us)
e2e_wait_line "$WORK/monitor.err" "$other" 90 || e2e_fail "no alarm naming $other within 90 s of SetAlarmState 1"
e2e_log "figure: alarm $((($(e2e_now_us) - since) / 1000)) ms after SetAlarmState 1: $E2E_MATCH"
[[ $E2E_MATCH != *"$game"* ]] || e2e_fail "the alarm names the accelerated game"
e2e_wait_line "$WORK/console.out" '"id":102,.*"name":"'"$other"'"' 10 ||
    e2e_fail "no PostAlarmRecord naming $other reached the subscribed console"
e2e_log "figure: $(grep -c '"id":102,' "$WORK/console.out") alarm records pushed: ${E2E_MATCH#*\"fields\":}"

kill -TERM "$MON_PID"
e2e_monitor_ended 10 SIGTERM
e2e_finish
