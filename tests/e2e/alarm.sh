#!/usr/bin/env bash
# The alarm: a game named accelerated runs and uses the tunnel while another process sends far more
# outside it. With alarms switched off (SetAlarmState 0) nothing is reported for over a minute; once
# they are on again, an alarm line naming that process appears on the monitor's standard error (the
# first pop-up needs its conditions to hold for more than 60 s): the silence was the switch's. The
# console subscribed to alarms, and a PostAlarmRecord naming that process reaches it too.
source "$(dirname "$0")/lib.sh"
e2e_init alarm
e2e_accelerated_monitor_start
game=e2e-game-$E2E_ID
heavy=e2e-heavy-$E2E_ID
e2e_send "SetAlarmState on=0"
e2e_send "SubscribeAlarms on=1"
e2e_server "$game" 5601
e2e_server "$heavy" 5602
e2e_client game "$TUNNEL_ADDR" 5601 -R -u -l 1400 -b 400K -t 200
e2e_accelerate "$game"
e2e_client heavy "$HOST_ADDR" 5602 -R -u -l 1400 -b 16M -t 200

# The conditions: the game runs (a running record of an accelerated name), the tunnel carries bytes,
# and most of the traffic is not accelerated.
e2e_ask_until GetFirstAccelerateStartTime 58 result "ANSWER == 0"
e2e_ask_until GetAccelerateTotalReflux 30 bytes "ANSWER > 0"
accelerated=$ANSWER
e2e_ask_until GetLocalTotalReflux 24 bytes "(ANSWER - accelerated) * 2 > ANSWER"
e2e_log "figure: local total $ANSWER, accelerated $accelerated"

! e2e_wait_line "$WORK/monitor.err" "$heavy" 65 || e2e_fail "an alarm with alarms switched off: $E2E_MATCH"
! grep -q '"id":102,' "$WORK/console.out" || e2e_fail "an alarm record with alarms switched off"
e2e_send "SetAlarmState on=1"
since=$(e2e_now_us)
e2e_wait_line "$WORK/monitor.err" "$heavy" 90 || e2e_fail "no alarm naming $heavy within 90 s of SetAlarmState 1"
e2e_log "figure: alarm $((($(e2e_now_us) - since) / 1000)) ms after SetAlarmState 1: $E2E_MATCH"
[[ $E2E_MATCH != *"$game"* ]] || e2e_fail "the alarm names the accelerated game"
e2e_wait_line "$WORK/console.out" '"id":102,.*"name":"'"$heavy"'"' 10 ||
    e2e_fail "no PostAlarmRecord naming $heavy reached the subscribed console"
e2e_log "figure: $(grep -c '"id":102,' "$WORK/console.out") alarm records pushed: ${E2E_MATCH#*\"fields\":}"
e2e_finish
