#!/usr/bin/env bash
# The README's run command, as scripts/run-monitor.sh runs it, with a report: kvtmon-plugin --watch
# --report DIR launches the monitor, names the game, prints the totals with their rates each second, and
# Ctrl-C after the first process list (60 s) ends the monitor with exit code 0; report.csv then names the
# sending process with its pid and its bytes within 1 % of iperf3's count. Without root the monitor
# cannot capture, and the console says so with the end of the monitor's traffic log.
source "$(dirname "$0")/lib.sh"
e2e_init watch
e2e_netns
e2e_monitor_dir
flow=e2e-flow-$E2E_ID
e2e_server "$flow" 5801

e2e_spawn /dev/null "$WORK/watch.out" "$WORK/watch.err" ip netns exec "$NS_HOST" "$KVT_CONSOLE" --pipe "$PIPE" \
    --launch "$MON_DIR/kvtmon" --watch GameClient.exe --report "$WORK"
WATCH_PID=$E2E_LAST_PID
e2e_wait_line "$WORK/watch.out" '^accelerated process: GameClient.exe$' 20 || e2e_fail "the watch did not name the game"
# 1 MB/s up: the machine's up rate reads about 8 mbps.
e2e_client flow "$HOST_ADDR" 5801 -R -u -l 1400 -b 8M -t 6
e2e_wait_line "$WORK/watch.out" 'machine +down .* up +[0-9.]+mb at [5-9]\.[0-9]+mbps' 12 ||
    e2e_fail "no second with about 8 mbps up"
e2e_log "figure: $E2E_MATCH"
e2e_sent flow
e2e_wait_line "$WORK/watch.out" ' processes \(' 75 || e2e_fail "no process list within 75 s"
blocks=$(grep -c ' machine ' "$WORK/watch.out")
((blocks >= 50)) || e2e_fail "$blocks blocks of totals before the first process list, not one a second"
kill -INT "$WATCH_PID"
e2e_wait_exit "$WATCH_PID" 20 || e2e_fail "the watch did not end within 20 s of Ctrl-C"
e2e_equal "$E2E_EXIT" 0 "the watch's exit code"
e2e_equal "$(tail -n 1 "$WORK/watch.out")" "the monitor ended with exit code 0" "the watch's last line"
grep -q "report written to $WORK: report.csv, report.json, rates.png" "$WORK/watch.err" ||
    e2e_fail "no report written: $(tail -n 3 "$WORK/watch.err")"
row=$(grep -m1 "^$flow," "$WORK/report.csv") || e2e_fail "report.csv has no row for $flow"
IFS=, read -r _ pids _ _ up _ _ _ exited _ <<<"$row"
[[ " $pids " == *" $SERVER_PID "* ]] || e2e_fail "the row's pids '$pids' lack $SERVER_PID"
e2e_near "$up" "$SENT" 10 "$flow up, in report.csv"
e2e_equal "$exited" no "$flow exited"

# Not root: the monitor cannot capture.
command -v setpriv >/dev/null || exit 0
nobody_dir=$WORK/nobody
mkdir -p "$nobody_dir"
cp -r "$MON_DIR/kvtmon" "$MON_DIR/config" "$nobody_dir/"
chmod 755 "$WORK"
chmod 777 "$nobody_dir"
# The pipe of an unprivileged console lives under /tmp/kvtmon-UID; removed if this test made it.
[[ -e /tmp/kvtmon-65534 ]] || E2E_MADE_DIR=/tmp/kvtmon-65534
e2e_spawn /dev/null "$WORK/nobody.out" "$WORK/nobody.err" ip netns exec "$NS_HOST" setpriv --reuid=65534 \
    --regid=65534 --clear-groups "$KVT_CONSOLE" --launch "$nobody_dir/kvtmon" --watch GameClient.exe
e2e_wait_exit "$E2E_LAST_PID" 40 || e2e_fail "the unprivileged watch did not end"
e2e_equal "$E2E_EXIT" 1 "the unprivileged watch's exit code"
grep -q 'kvtmon-plugin: the monitor could not start: ' "$WORK/nobody.err" &&
    grep -q "kvtmon-plugin: the end of $nobody_dir/traffic.log:" "$WORK/nobody.err" ||
    e2e_fail "the unprivileged watch did not say why with the traffic log: $(cat "$WORK/nobody.err")"
e2e_log "$E2E_NAME: passed"
