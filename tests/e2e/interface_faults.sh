#!/usr/bin/env bash
# Interfaces that change under a running capture: one goes down and comes back, then it is deleted. The
# monitor keeps counting on the other interface all along, counts on the first again once it is back,
# does not spin once its capture there fails for good, and ends with exit code 0.
source "$(dirname "$0")/lib.sh"
e2e_init interface_faults
e2e_netns

# A second link between the namespaces, captured from the start like the first.
IF2_HOST=kvt${E2E_ID}c
IF2_PEER=kvt${E2E_ID}d
HOST2_ADDR=10.232.0.1
PEER2_ADDR=10.232.0.2
ip link add "$IF2_HOST" netns "$NS_HOST" type veth peer name "$IF2_PEER" netns "$NS_PEER"
ip -n "$NS_HOST" addr add "$HOST2_ADDR/24" dev "$IF2_HOST"
ip -n "$NS_PEER" addr add "$PEER2_ADDR/24" dev "$IF2_PEER"
ip -n "$NS_HOST" link set "$IF2_HOST" up
ip -n "$NS_PEER" link set "$IF2_PEER" up

e2e_console_start
e2e_monitor_start Accelerator.exe

# e2e_counted NAME ADDR PORT WHAT: 1 MB from a process of that name to a sink at ADDR:PORT, and the
# monitor's up total of that name must match it.
e2e_counted() {
    local name=$1 addr=$2 port=$3 what=$4
    e2e_udp_sinks 30 "sink-$port:$port"
    e2e_host "$name" client udp send "$addr" "$port" 1000000 --rate 4000000 --seconds 30
    e2e_counts "$name" 30
    # The statistics tick sums the figures once a second: wait for them rather than for a fixed time.
    local deadline=$(($(e2e_now_us) + 10 * 1000000))
    while :; do
        e2e_ask "GetProcessUpRefluxByProcessName name=$name" 44 bytes
        ((ANSWER >= SENT * 99 / 100)) || (($(e2e_now_us) > deadline)) || { sleep 0.2; continue; }
        break
    done
    e2e_near "$ANSWER" "$SENT" 10 "$what" 1
}

e2e_counted "e2e-first-$E2E_ID" "$PEER_ADDR" 5701 "sent over the first link, both up"

ip -n "$NS_HOST" link set "$IF_HOST" down
e2e_log "$IF_HOST is down"
e2e_counted "e2e-while-down-$E2E_ID" "$PEER2_ADDR" 5702 "sent over the second link while the first is down"
e2e_idle_cpu "$MON_PID" 3 "the monitor with one of its interfaces down"

ip -n "$NS_HOST" link set "$IF_HOST" up
e2e_log "$IF_HOST is up again"
e2e_counted "e2e-back-up-$E2E_ID" "$PEER_ADDR" 5703 "sent over the first link once it is up again"

ip -n "$NS_HOST" link del "$IF_HOST"
e2e_log "$IF_HOST is deleted"
# The capture on the deleted interface fails from now on: it must wait between tries, not spin.
e2e_idle_cpu "$MON_PID" 4 "the monitor after one of its interfaces was deleted"
e2e_counted "e2e-after-delete-$E2E_ID" "$PEER2_ADDR" 5704 "sent over the second link after the first was deleted"
e2e_finish
