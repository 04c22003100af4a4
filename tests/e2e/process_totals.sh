#!/usr/bin/env bash
# Per-process totals against what the processes moved: one process per kind of traffic (TCP and UDP,
# sent and received), 20 MB each. The by-name and by-pid answers match within 1 % while the processes
# run; once they have exited the by-pid answers fail and the by-name ones still count them; and the
# first process-list push, 60 s after the start, carries the same figures. Then one of the two links
# goes down, comes back and is deleted: the monitor counts on the other all along, on the first again
# once it is back, and does not spin once its capture there fails for good.
source "$(dirname "$0")/lib.sh"
e2e_init process_totals
e2e_netns
# A second link between the namespaces, captured from the start like the first.
e2e_link "kvt${E2E_ID}c" "kvt${E2E_ID}d" 10.232.0.1 10.232.0.2
e2e_console_start
e2e_monitor_start Accelerator.exe

# tag, port, iperf3 options (-R: the host process sends)
roles=("tu 5401 -R" "td 5402" "uu 5403 -R -u -l 1400" "ud 5404 -u -l 1400")
declare -A NAME PID UP DOWN
for role in "${roles[@]}"; do
    read -r tag port opts <<<"$role"
    NAME[$tag]=e2e-$tag-$E2E_ID
    e2e_server "${NAME[$tag]}" "$port"
    PID[$tag]=$SERVER_PID
    # shellcheck disable=SC2086
    e2e_client "$tag" "$HOST_ADDR" "$port" $opts -b 64M -n 20000000
    [[ $opts == -R* ]] && UP[$tag]=1 DOWN[$tag]=0 || UP[$tag]=0 DOWN[$tag]=1
done
for tag in "${!NAME[@]}"; do
    e2e_sent "$tag"
    UP[$tag]=$((UP[$tag] * SENT)) DOWN[$tag]=$((DOWN[$tag] * SENT))
done

for tag in "${!NAME[@]}"; do
    name=${NAME[$tag]} pid=${PID[$tag]}
    e2e_counted_near "GetProcessDownRefluxByProcessName name=$name" 40 "${DOWN[$tag]}" "$name down, by name"
    e2e_counted_near "GetProcessUpRefluxByProcessName name=$name" 44 "${UP[$tag]}" "$name up, by name"
    e2e_counted_near "GetProcessUpRefluxByPId pid=$pid" 46 "${UP[$tag]}" "$name up, by pid"
    e2e_counted_near "GetProcessDownRefluxByPId pid=$pid" 42 "${DOWN[$tag]}" "$name down, by pid"
done

# After the processes end (the monitor looks every 5 s) their pids no longer answer; their names do.
kill -TERM "${PID[@]}"
for tag in "${!NAME[@]}"; do
    name=${NAME[$tag]} pid=${PID[$tag]}
    e2e_wait_exit "$pid" 10 || e2e_fail "$name did not end"
    e2e_ask_until "GetProcessDownRefluxByPId pid=$pid" 42 bytes "ANSWER == $FAIL64" 15
    e2e_counted_near "GetProcessUpRefluxByProcessName name=$name" 44 "${UP[$tag]}" "$name up by name, exited"
    e2e_counted_near "GetProcessDownRefluxByProcessName name=$name" 40 "${DOWN[$tag]}" "$name down by name, exited"
done

# The first round of the process list: 60 s after the start, one message per process.
e2e_await 83 $(((MON_STARTED_US + 75000000 - $(e2e_now_us)) / 1000000)) || e2e_fail "no process list within 75 s"
after=$((($(e2e_now_us) - MON_STARTED_US) / 1000))
((after >= 58000)) || e2e_fail "the first process list came $after ms after the start, not 60 s"
declare -A LISTED
while :; do
    pid=$(e2e_field pid)
    for tag in "${!NAME[@]}"; do
        [[ $pid == "${PID[$tag]}" ]] || continue
        LISTED[$tag]=1
        e2e_equal "$(e2e_field state)" 1 "${NAME[$tag]} is listed as exited"
        [[ $(e2e_field name) == "${NAME[$tag]}"* ]] || e2e_fail "pid $pid is listed as $(e2e_field name)"
        e2e_near "$(e2e_field bytesUp)" "${UP[$tag]}" 10 "${NAME[$tag]} up, in the list"
        e2e_near "$(e2e_field bytesDown)" "${DOWN[$tag]}" 10 "${NAME[$tag]} down, in the list"
    done
    ((${#LISTED[@]} == ${#roles[@]})) && break
    e2e_await 83 5 || e2e_fail "the process list lacks some of the processes: listed ${!LISTED[*]}"
done

# e2e_counted NAME ADDR PORT WHAT: 1 MB sent by a process of that name from ADDR, counted by name.
e2e_counted() {
    e2e_server "$1" "$3"
    e2e_client "$1" "$2" "$3" -R -u -l 1400 -b 32M -n 1000000
    e2e_sent "$1"
    e2e_counted_near "GetProcessUpRefluxByProcessName name=$1" 44 "$SENT" "$4"
}
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
