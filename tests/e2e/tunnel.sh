#!/usr/bin/env bash
# The accelerator's tunnel: an interface named "ppp..." holding a 172.x address is found at start, and
# its octet counters become the accelerated totals. Each pushed accelerated total must lie between the
# interface's counters read just before and just after it; the local totals are the accelerated ones
# plus the other processes' traffic, the accelerated game's own captured packets left out. SIGTERM
# ends the monitor with exit code 0.
source "$(dirname "$0")/lib.sh"
e2e_init tunnel
e2e_accelerated_monitor_start
game=e2e-game-$E2E_ID
other=e2e-other-$E2E_ID
e2e_accelerate "$game"

# e2e_bracket WHAT: one round of totals pushes between two readings of the tunnel's counters; sets
# LOCAL_DOWN, LOCAL_UP, ACC_DOWN, ACC_UP.
e2e_bracket() {
    local rx1 tx1 rx2 tx2 id
    e2e_drain
    rx1=$(e2e_if_stat "$IF_TUNNEL" rx_bytes) tx1=$(e2e_if_stat "$IF_TUNNEL" tx_bytes)
    # The round in flight may have read the counters before this; the next one reads them after.
    e2e_await 81 5 || e2e_fail "no totals pushes"
    for id in 77:LOCAL_DOWN 78:LOCAL_UP 80:ACC_DOWN 81:ACC_UP; do
        e2e_await "${id%:*}" 5 || e2e_fail "no push ${id%:*}"
        printf -v "${id#*:}" '%s' "$(e2e_field bytes)"
    done
    rx2=$(e2e_if_stat "$IF_TUNNEL" rx_bytes) tx2=$(e2e_if_stat "$IF_TUNNEL" tx_bytes)
    e2e_log "figure: $1: tunnel rx $rx1..$rx2 pushed $ACC_DOWN, tx $tx1..$tx2 pushed $ACC_UP; local $LOCAL_DOWN, $LOCAL_UP"
    ((rx1 <= ACC_DOWN && ACC_DOWN <= rx2)) || e2e_fail "$1: accelerated down $ACC_DOWN is not within $rx1..$rx2"
    ((tx1 <= ACC_UP && ACC_UP <= tx2)) || e2e_fail "$1: accelerated up $ACC_UP is not within $tx1..$tx2"
}

# The game sends and receives 3 MB through the tunnel (two processes of that name); the other process
# sends 2 MB outside it.
e2e_server "$game" 5301
e2e_server "$game" 5302
e2e_server "$other" 5303
e2e_client game-up "$TUNNEL_ADDR" 5301 -R -u -l 1400 -b 8M -n 3000000
e2e_client game-down "$TUNNEL_ADDR" 5302 -u -l 1400 -b 8M -n 3000000
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

kill -TERM "$MON_PID"
e2e_monitor_ended 10 SIGTERM
e2e_finish
