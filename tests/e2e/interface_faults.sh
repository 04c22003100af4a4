#!/usr/bin/env bash
# Interfaces that change under a running capture: one goes down and comes back, then it is deleted. The
# monitor keeps counting on the other interface all along, counts on the first again once it is back,
# does not spin once its capture there fails for good, and ends with exit code 0.
source "$(dirname "$0")/lib.sh"
e2e_init interface_faults
e2e_netns
# A second link between the namespaces, captured from the start like the first.
e2e_link "kvt${E2E_ID}c" "kvt${E2E_ID}d" 10.232.0.1 10.232.0.2
e2e_console_start
e2e_monitor_start Accelerator.exe

# e2e_counted NAME ADDR PORT WHAT: 1 MB sent by a process of that name from ADDR, counted by name.
e2e_counted() {
    e2e_server "$1" "$3"
    e2e_client "$1" "$2" "$3" -R -u -l 1400 -b 32M -n 1000000
    e2e_sent "$1"
    e2e_await_up "$1" "$SENT"
    e2e_near "$ANSWER" "$SENT" 10 "$4"
}

e2e_counted "e2e-first-$E2E_ID" "$HOST_ADDR" 5701 "sent over the first link, both up"
ip -n "$NS_HOST" link set "$IF_HOST" down
e2e_counted "e2e-while-down-$E2E_ID" 10.232.0.1 5702 "sent over the second link while the first is down"
e2e_idle_cpu "$MON_PID" 3 "the monitor with one of its interfaces down"
ip -n "$NS_HOST" link set "$IF_HOST" up
e2e_counted "e2e-back-up-$E2E_ID" "$HOST_ADDR" 5703 "sent over the first link once it is up again"
ip -n "$NS_HOST" link del "$IF_HOST"
# The capture on the deleted interface fails from now on: it must wait between tries, not spin.
e2e_idle_cpu "$MON_PID" 4 "the monitor after one of its interfaces was deleted"
e2e_counted "e2e-after-delete-$E2E_ID" 10.232.0.1 5704 "sent over the second link after the first was deleted"
e2e_finish
