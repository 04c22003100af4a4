#!/usr/bin/env bash
# The accelerator's tunnel: an interface named "ppp..." holding a 172.x address is found at start, and
# its octet counters become the accelerated totals. Each pushed accelerated total must lie between the
# interface's counters read just before and just after it (exactly equal once the link is quiet); the
# local totals are the accelerated ones plus the other processes' traffic, the accelerated game's own
# captured packets left out. (The link is not entirely quiet after the traffic: ARP refreshes come and
# go.) SIGTERM ends the monitor with exit code 0.
source "$(dirname "$0")/lib.sh"
e2e_init tunnel
e2e_accelerated_monitor_start

game=e2e-game-$E2E_ID
other=e2e-other-$E2E_ID
e2e_accelerate "$game"

# e2e_bracket WHAT: one round of totals pushes between two readings of the tunnel's counters; sets
# LOCAL_DOWN, LOCAL_UP, ACC_DOWN, ACC_UP and RX1, RX2, TX1, TX2.
e2e_bracket() {
    e2e_drain
    RX1=$(e2e_if_bytes "$IF_TUNNEL" rx_bytes)
    TX1=$(e2e_if_bytes "$IF_TUNNEL" tx_bytes)
    # The round in flight may have read the counters before this; the next one reads them after.
    e2e_await 81 5 || e2e_fail "no totals pushes"
    local id var
    for id in 77:LOCAL_DOWN 78:LOCAL_UP 80:ACC_DOWN 81:ACC_UP; do
        var=${id#*:}
        e2e_await "${id%:*}" 5 || e2e_fail "no push ${id%:*}"
        printf -v "$var" '%s' "$(e2e_field bytes)"
    done
    RX2=$(e2e_if_bytes "$IF_TUNNEL" rx_bytes)
    TX2=$(e2e_if_bytes "$IF_TUNNEL" tx_bytes)
    e2e_log "figure: $1: tunnel rx $RX1..$RX2 pushed $ACC_DOWN, tx $TX1..$TX2 pushed $ACC_UP;" \
        "local down $LOCAL_DOWN, up $LOCAL_UP"
    ((RX1 <= ACC_DOWN && ACC_DOWN <= RX2)) || e2e_fail "$1: accelerated down $ACC_DOWN is not within $RX1..$RX2"
    ((TX1 <= ACC_UP && ACC_UP <= TX2)) || e2e_fail "$1: accelerated up $ACC_UP is not within $TX1..$TX2"
}

e2e_peer tunnel-sink serve udp recv 5301 --seconds 30
e2e_peer tunnel-source serve udp send 5302 3000000 --rate 1000000 --seconds 30
e2e_peer other-sink serve tcp recv 5303 --seconds 30
for server in tunnel-sink tunnel-source other-sink; do
    e2e_wait_line "$WORK/$server.out" '^listening$' 5 || e2e_fail "$server did not start"
done
e2e_host_named game-up "$game" client udp send "$TUNNEL_PEER_ADDR" 5301 3000000 --rate 1000000 --seconds 30
e2e_host_named game-down "$game" client udp recv "$TUNNEL_PEER_ADDR" 5302 --seconds 30
e2e_host "$other" client tcp send "$PEER_ADDR" 5303 2000000 --rate 1000000 --seconds 30

# While the traffic flows (it starts after the clients' 2.5 s of warm-up and lasts 3 s).
sleep 3
e2e_bracket "during the traffic"
e2e_counts game-up 30
e2e_counts game-down 30
e2e_counts "$other" 30
other_sent=$SENT
sleep 2
e2e_bracket "after the traffic"
((ACC_DOWN > 3000000 && ACC_UP > 3000000)) || e2e_fail "the tunnel's 3 MB each way are not in the accelerated totals"
e2e_near "$((LOCAL_DOWN - ACC_DOWN))" 0 0 "local down beyond the tunnel (the other process received nothing)" \
    "$E2E_HANDSHAKE_SLACK"
e2e_near "$((LOCAL_UP - ACC_UP))" "$other_sent" 10 "local up beyond the tunnel: the other process's payload"
# The answers agree with the pushes around them.
e2e_ask GetAccelerateTotalReflux 30 bytes
accelerated_total=$ANSWER
((accelerated_total >= ACC_DOWN + ACC_UP && accelerated_total <= ACC_DOWN + ACC_UP + 1000)) ||
    e2e_fail "GetAccelerateTotalReflux $accelerated_total after pushes of $ACC_DOWN and $ACC_UP"
e2e_ask GetLocalTotalReflux 24 bytes
beyond=$((ANSWER - accelerated_total - other_sent))
((beyond >= 0 && beyond <= 1000)) ||
    e2e_fail "GetLocalTotalReflux $ANSWER: not the accelerated total plus the other process's traffic"

kill -TERM "$MON_PID"
e2e_monitor_ended 10 SIGTERM
e2e_finish
