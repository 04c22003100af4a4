#!/usr/bin/env bash
# The alarm: a game named accelerated runs and uses the tunnel while another process sends far more
# outside it. With alarms switched off (SetAlarmState 0) nothing is reported for over a minute; once
# they are on again, an alarm line naming that process appears on the monitor's standard error (the
# first pop-up needs its conditions to hold for more than 60 s).
source "$(dirname "$0")/lib.sh"
e2e_init alarm
e2e_accelerated_monitor_start

game=e2e-game-$E2E_ID
heavy=e2e-heavy-$E2E_ID
e2e_send "SetAlarmState on=0"

e2e_udp_sinks 200 game-sink:5601 heavy-sink:5602
e2e_host "$game" client udp send "$TUNNEL_PEER_ADDR" 5601 0 --rate 50000 --warmup 0 --seconds 200
GAME_PID=$E2E_LAST_PID
e2e_accelerate "$game"
e2e_host "$heavy" client udp send "$PEER_ADDR" 5602 0 --rate 2000000 --warmup 0 --seconds 200
HEAVY_PID=$E2E_LAST_PID

# The conditions: the game runs (a running record of an accelerated name), the tunnel carries bytes,
# and most of the traffic is not accelerated.
sleep 3
e2e_ask GetFirstAccelerateStartTime 58 result
e2e_equal "$ANSWER" 0 "the accelerated game is running"
e2e_ask GetAccelerateTotalReflux 30 bytes
accelerated=$ANSWER
e2e_ask GetLocalTotalReflux 24 bytes
e2e_log "figure: local total $ANSWER, accelerated $accelerated after 3 s"
((accelerated > 0 && (ANSWER - accelerated) * 2 > ANSWER)) || e2e_fail "the alarm's conditions do not hold"

if e2e_wait_line "$WORK/monitor.err" "$heavy" 65; then
    e2e_fail "an alarm with alarms switched off: $E2E_MATCH"
fi
e2e_log "no alarm in 65 s with alarms switched off"

e2e_send "SetAlarmState on=1"
since=$(e2e_now_us)
e2e_wait_line "$WORK/monitor.err" "$heavy" 90 || e2e_fail "no alarm naming $heavy within 90 s of SetAlarmState 1"
e2e_log "figure: alarm $((($(e2e_now_us) - since) / 1000)) ms after SetAlarmState 1: $E2E_MATCH"
[[ $E2E_MATCH != *"$game"* ]] || e2e_fail "the alarm names the accelerated game"

kill -TERM "$HEAVY_PID" "$GAME_PID"
e2e_finish
