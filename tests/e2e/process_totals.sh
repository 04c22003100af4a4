#!/usr/bin/env bash
# Per-process totals against what the processes themselves moved: one process per kind of traffic (TCP
# and UDP, sent and received), 20 MB each. The by-name and by-pid answers must match within 1 % while
# the processes run; once they have exited the by-pid answers fail and the by-name ones still count
# them; and the first process-list push, 60 s after the start, carries the same figures.
source "$(dirname "$0")/lib.sh"
e2e_init process_totals
e2e_netns
e2e_console_start
e2e_monitor_start Accelerator.exe

readonly BYTES=20000000 RATE=8000000 FAIL64=18446744073709551615
# tag, protocol, what the client does, port
roles=("tu tcp send 5401" "td tcp recv 5402" "uu udp send 5403" "ud udp recv 5404")
declare -A NAME PID UP DOWN

for role in "${roles[@]}"; do
    read -r tag proto dir port <<<"$role"
    if [[ $dir == send ]]; then
        e2e_peer "server-$tag" serve "$proto" recv "$port" --seconds 40
    else
        e2e_peer "server-$tag" serve "$proto" send "$port" $BYTES --rate $RATE --seconds 40
    fi
    e2e_wait_line "$WORK/server-$tag.out" '^listening$' 5 || e2e_fail "server $tag did not start"
done
for role in "${roles[@]}"; do
    read -r tag proto dir port <<<"$role"
    NAME[$tag]=e2e-$tag-$E2E_ID
    bytes=$([[ $dir == send ]] && echo $BYTES || true)
    e2e_host "${NAME[$tag]}" client "$proto" "$dir" "$PEER_ADDR" "$port" $bytes --rate $RATE --linger 12 \
        --seconds 40
    PID[$tag]=$E2E_LAST_PID
done
for role in "${roles[@]}"; do
    read -r tag _ <<<"$role"
    e2e_counts "${NAME[$tag]}" 40
    UP[$tag]=$SENT
    DOWN[$tag]=$RECEIVED
    e2e_log "${NAME[$tag]} (pid ${PID[$tag]}): sent $SENT, received $RECEIVED"
done
# The per-process totals are summed by the once-a-second statistics tick.
sleep 2.5

declare -A BY_NAME_UP BY_NAME_DOWN
for role in "${roles[@]}"; do
    read -r tag _ <<<"$role"
    name=${NAME[$tag]}
    e2e_ask "GetProcessUpRefluxByProcessName name=$name" 44 bytes
    BY_NAME_UP[$tag]=$ANSWER
    e2e_ask "GetProcessDownRefluxByProcessName name=$name" 40 bytes
    BY_NAME_DOWN[$tag]=$ANSWER
    e2e_near "${BY_NAME_UP[$tag]}" "${UP[$tag]}" 10 "$name up, by name" "$E2E_HANDSHAKE_SLACK"
    e2e_near "${BY_NAME_DOWN[$tag]}" "${DOWN[$tag]}" 10 "$name down, by name" "$E2E_HANDSHAKE_SLACK"
    e2e_ask "GetProcessUpRefluxByPId pid=${PID[$tag]}" 46 bytes
    e2e_near "$ANSWER" "${UP[$tag]}" 10 "$name up, by pid" "$E2E_HANDSHAKE_SLACK"
    e2e_ask "GetProcessDownRefluxByPId pid=${PID[$tag]}" 42 bytes
    e2e_near "$ANSWER" "${DOWN[$tag]}" 10 "$name down, by pid" "$E2E_HANDSHAKE_SLACK"
done

# After the processes end (the monitor looks every 5 s) their pids no longer answer; their names do.
for role in "${roles[@]}"; do
    read -r tag _ <<<"$role"
    e2e_wait_exit "${PID[$tag]}" 30 || e2e_fail "${NAME[$tag]} did not end"
done
sleep 6
for role in "${roles[@]}"; do
    read -r tag _ <<<"$role"
    name=${NAME[$tag]}
    e2e_ask "GetProcessDownRefluxByPId pid=${PID[$tag]}" 42 bytes
    e2e_equal "$ANSWER" $FAIL64 "$name down by pid, exited"
    e2e_ask "GetProcessUpRefluxByProcessName name=$name" 44 bytes
    e2e_equal "$ANSWER" "${BY_NAME_UP[$tag]}" "$name up by name, exited"
    e2e_ask "GetProcessDownRefluxByProcessName name=$name" 40 bytes
    e2e_equal "$ANSWER" "${BY_NAME_DOWN[$tag]}" "$name down by name, exited"
done

# The first round of the process list: 60 s after the start, one message per process.
left=$(((MON_STARTED_US + 75000000 - $(e2e_now_us)) / 1000000))
e2e_await 83 "$left" || e2e_fail "no process list within 75 s of the start"
after=$((($(e2e_now_us) - MON_STARTED_US) / 1000))
e2e_log "figure: first process list $after ms after the start result"
((after >= 58000)) || e2e_fail "the first process list came $after ms after the start, not 60 s"
declare -A LISTED
while :; do
    pid=$(e2e_field pid)
    for role in "${roles[@]}"; do
        read -r tag _ <<<"$role"
        [[ $pid == "${PID[$tag]}" ]] || continue
        LISTED[$tag]=1
        e2e_equal "$(e2e_field state)" 1 "${NAME[$tag]} is listed as exited"
        [[ $(e2e_field name) == "${NAME[$tag]}"* ]] || e2e_fail "pid $pid is listed as $(e2e_field name)"
        e2e_near "$(e2e_field bytesUp)" "${UP[$tag]}" 10 "${NAME[$tag]} up, in the list" "$E2E_HANDSHAKE_SLACK"
        e2e_near "$(e2e_field bytesDown)" "${DOWN[$tag]}" 10 "${NAME[$tag]} down, in the list" "$E2E_HANDSHAKE_SLACK"
    done
    ((${#LISTED[@]} == ${#roles[@]})) && break
    e2e_await 83 5 || e2e_fail "the process list lacks some of the processes: listed ${!LISTED[*]}"
done

e2e_finish
