#!/usr/bin/env bash
# The harness itself, against the fake monitor: namespaces, links and their cleanup, exact traffic
# counts, the tunnel's counters, and a scripted conversation over the pipe.
source "$(dirname "$0")/lib.sh"
e2e_init harness
e2e_netns
e2e_tunnel

# Both ends of each kind of transfer agree to the byte.
port=5001
for kind in "tcp send" "tcp recv" "udp send" "udp recv"; do
    read -r proto dir <<<"$kind"
    serve_dir=$([[ $dir == send ]] && echo recv || echo send)
    bytes=$([[ $dir == send ]] && echo 3000000 || echo "")
    serve_bytes=$([[ $dir == recv ]] && echo 3000000 || echo "")
    e2e_peer "server-$port" serve "$proto" "$serve_dir" "$port" $serve_bytes --rate 20000000 --seconds 20
    e2e_wait_line "$WORK/server-$port.out" '^listening$' 5 || e2e_fail "server $port did not start"
    e2e_host "client-$port" client "$proto" "$dir" "$PEER_ADDR" "$port" $bytes --rate 20000000 --warmup 0.2 \
        --seconds 20
    e2e_counts "client-$port"
    client_sent=$SENT client_received=$RECEIVED
    e2e_counts "server-$port"
    e2e_equal "$client_sent" "$RECEIVED" "$kind: the server received what the client sent"
    e2e_equal "$client_received" "$SENT" "$kind: the client received what the server sent"
    e2e_log "$kind: client sent $client_sent, received $client_received"
    port=$((port + 1))
done

# Traffic through the tunnel shows in the host end's counters.
before=$(e2e_if_bytes "$IF_TUNNEL" tx_bytes)
e2e_udp_sinks 10 tunnel-sink:5100
e2e_host tunnel-game client udp send "$TUNNEL_PEER_ADDR" 5100 500000 --warmup 0
e2e_counts tunnel-game
after=$(e2e_if_bytes "$IF_TUNNEL" tx_bytes)
((after - before >= SENT)) || e2e_fail "the tunnel carried $((after - before)) bytes for $SENT of payload"
e2e_log "tunnel: $((after - before)) bytes on the link for $SENT bytes of payload"

# The console serves the pipe; the (fake) monitor connects from the host namespace.
e2e_console_start
e2e_monitor_start Accelerator.exe
e2e_ask GetLocalDownReflux 20 bytes
e2e_equal "$ANSWER" 19000 "the fake monitor's canned answer"
# A frame whose length field says 10 for 9 bytes gets no answer; the next request's answer comes first.
e2e_send "raw 0A000000 13000000 01"
e2e_send GetLocalUpReflux
e2e_await 22 20 20 || e2e_fail "no answer after the dropped frame"
e2e_finish
