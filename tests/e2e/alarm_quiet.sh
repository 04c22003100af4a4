#!/usr/bin/env bash
# No alarm while the accelerated share is large: the game carries most of the traffic through the
# tunnel and another process sends a little outside it, fast enough for the speed thresholds, for
# longer than the first pop-up would take.
source "$(dirname "$0")/lib.sh"
e2e_init alarm_quiet
e2e_accelerated_monitor_start

game=e2e-game-$E2E_ID
other=e2e-other-$E2E_ID
e2e_udp_sinks 120 game-sink:5701 other-sink:5702
e2e_host "$game" client udp send "$TUNNEL_PEER_ADDR" 5701 0 --rate 1500000 --warmup 0 --seconds 120
GAME_PID=$E2E_LAST_PID
e2e_accelerate "$game"
e2e_host "$other" client udp send "$PEER_ADDR" 5702 0 --rate 300000 --warmup 0 --seconds 120
OTHER_PID=$E2E_LAST_PID

# e2e_share WHAT: the non-accelerated share of the local total, in percent; sets SHARE and LOCAL.
e2e_share() {
    e2e_ask GetAccelerateTotalReflux 30 bytes
    local accelerated=$ANSWER
    e2e_ask GetLocalTotalReflux 24 bytes
    LOCAL=$ANSWER
    ((accelerated > 0 && LOCAL > 0)) || e2e_fail "$1: no accelerated or no local traffic"
    SHARE=$(((LOCAL - accelerated) * 100 / LOCAL))
    e2e_log "figure: $1: local total $LOCAL, accelerated $accelerated, not accelerated $SHARE %"
    ((SHARE < 50)) || e2e_fail "$1: the non-accelerated share is not under the threshold"
}

sleep 3
e2e_ask GetFirstAccelerateStartTime 58 result
e2e_equal "$ANSWER" 0 "the accelerated game is running"
e2e_share "after 3 s"
start_local=$LOCAL
since=$(e2e_now_us)
if e2e_wait_line "$WORK/monitor.err" "$other" 66; then
    e2e_fail "an alarm with the non-accelerated share under the threshold: $E2E_MATCH"
fi
e2e_share "after 66 s more"
# Fast enough all along: the local speed stayed far above 100 KB/s.
speed=$(((LOCAL - start_local) * 1000 / ($(e2e_now_us) - since)))
e2e_log "figure: local speed $speed KB/s"
((speed > 200)) || e2e_fail "the local speed was only $speed KB/s"
[[ ! -s $WORK/monitor.err ]] || e2e_fail "the monitor wrote on standard error: $(head -c 300 "$WORK/monitor.err")"

kill -TERM "$OTHER_PID" "$GAME_PID"
e2e_finish
