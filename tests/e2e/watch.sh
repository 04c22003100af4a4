#!/usr/bin/env bash
# The README's run command, as scripts/run-monitor.sh runs it: kvtmon-plugin --watch launches the
# monitor, names the game, prints the totals with their rates each second, and Ctrl-C ends the monitor
# with exit code 0. Without root the monitor cannot capture, and the console says so with the end of
# the monitor's traffic log.
source "$(dirname "$0")/lib.sh"
e2e_init watch
e2e_netns
e2e_monitor_dir

flow=e2e-flow-$E2E_ID
e2e_udp_sinks 30 sink:5801

e2e_spawn /dev/null "$WORK/watch.out" "$WORK/watch.err" ip netns exec "$NS_HOST" "$KVT_CONSOLE" --pipe "$PIPE" \
    --launch "$MON_DIR/kvtmon" --watch "GameClient.exe"
WATCH_PID=$E2E_LAST_PID
e2e_wait_line "$WORK/watch.out" '^accelerated process: GameClient.exe$' 20 ||
    e2e_fail "the watch did not name the game"
# 1 MB/s up: the machine's up rate reads about 8 mbps.
e2e_host "$flow" client udp send "$PEER_ADDR" 5801 0 --rate 1000000 --warmup 0 --seconds 6
e2e_wait_line "$WORK/watch.out" 'machine +down .* up +[0-9.]+mb at [5-9]\.[0-9]+mbps' 12 ||
    e2e_fail "no second with about 8 mbps up"
e2e_log "figure: $E2E_MATCH"
# A new port's bytes count from its first packet, so the rate may show in the second block already:
# wait for the third, which the once-a-second pushes bring within a few seconds.
for ((i = 0; i < 50; i++)); do
    blocks=$(grep -c ' machine ' "$WORK/watch.out")
    ((blocks >= 3)) && break
    sleep 0.1
done
((blocks >= 3)) || e2e_fail "only $blocks blocks of totals"

kill -INT "$WATCH_PID"
e2e_wait_exit "$WATCH_PID" 20 || e2e_fail "the watch did not end within 20 s of Ctrl-C"
e2e_equal "$E2E_EXIT" 0 "the watch's exit code"
e2e_equal "$(tail -n 1 "$WORK/watch.out")" "the monitor ended with exit code 0" "the watch's last line"

# Not root: the monitor cannot capture.
if command -v setpriv >/dev/null; then
    nobody_dir=$WORK/nobody
    mkdir -p "$nobody_dir"
    cp "$MON_DIR/kvtmon" "$nobody_dir/"
    cp -r "$MON_DIR/config" "$nobody_dir/"
    chmod 755 "$WORK"
    chmod 777 "$nobody_dir"
    # The pipe of an unprivileged console lives under /tmp/kvtmon-UID; remove it if this test made it.
    uid=65534
    [[ -e /tmp/kvtmon-$uid ]] || E2E_MADE_DIR=/tmp/kvtmon-$uid
    e2e_spawn /dev/null "$WORK/nobody.out" "$WORK/nobody.err" ip netns exec "$NS_HOST" \
        setpriv --reuid=$uid --regid=$uid --clear-groups "$KVT_CONSOLE" --launch "$nobody_dir/kvtmon" \
        --watch GameClient.exe
    nobody=$E2E_LAST_PID
    e2e_wait_exit "$nobody" 40 || e2e_fail "the unprivileged watch did not end"
    [[ -n ${E2E_MADE_DIR:-} ]] && rm -rf "$E2E_MADE_DIR"
    e2e_equal "$E2E_EXIT" 1 "the unprivileged watch's exit code"
    grep -q 'kvtmon-plugin: the monitor could not start: ' "$WORK/nobody.err" ||
        e2e_fail "the unprivileged watch did not say why: $(cat "$WORK/nobody.err")"
    grep -q "kvtmon-plugin: the end of $nobody_dir/traffic.log:" "$WORK/nobody.err" ||
        e2e_fail "the unprivileged watch did not show the traffic log: $(cat "$WORK/nobody.err")"
    e2e_log "without root: $(grep 'could not start' "$WORK/nobody.err")"
fi
e2e_log "$E2E_NAME: passed"
