#!/usr/bin/env bash
# ExitMonitor while a flood of small packets keeps every capture thread and the decoder busy: the
# monitor still ends within 3 s with exit code 0.
source "$(dirname "$0")/lib.sh"
e2e_init exit_flood
e2e_netns
e2e_console_start
e2e_monitor_start Accelerator.exe

e2e_udp_sinks 60 sink:5901
# 18-byte datagrams (64-byte frames) as fast as one sender goes, once the monitor knows the port.
e2e_host flood client udp send "$PEER_ADDR" 5901 0 --size 18 --seconds 40

e2e_if_packets() { ip netns exec "$NS_HOST" cat "/sys/class/net/$IF_HOST/statistics/tx_packets"; }

# The flood is under way and the monitor counts it.
deadline=$(($(e2e_now_us) + 20 * 1000000))
while :; do
    e2e_ask GetLocalUpReflux 22 bytes
    ((ANSWER > 1000000)) && break
    (($(e2e_now_us) < deadline)) || e2e_fail "the monitor counts nothing of the flood ($ANSWER bytes up)"
    sleep 0.2
done
before=$(e2e_if_packets)
since=$(e2e_now_us)
sleep 2
rate=$((($(e2e_if_packets) - before) * 1000000 / ($(e2e_now_us) - since)))
e2e_log "figure: flood of $rate packets/s on $IF_HOST"
((rate > 1000)) || e2e_fail "no flood: $rate packets/s"

e2e_send ExitMonitor
e2e_monitor_ended 3 "ExitMonitor during a flood of $rate packets/s"
e2e_finish
