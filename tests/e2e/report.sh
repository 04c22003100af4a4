#!/usr/bin/env bash
# kvtmon-plugin --watch --report DIR on real traffic: after the first process list (60 s) and Ctrl-C,
# report.csv names the receiving process with its pid and its bytes within 1 % of iperf3's count,
# report.json carries the machine's totals and rates.png is a PNG. A directory that does not exist is
# refused before any monitor starts.
source "$(dirname "$0")/lib.sh"
e2e_init report
e2e_netns
e2e_monitor_dir
mkdir -p "$WORK/rep"

e2e_spawn /dev/null "$WORK/bad.out" "$WORK/bad.err" "$KVT_CONSOLE" --launch "$MON_DIR/kvtmon" --watch GameClient.exe \
    --report "$WORK/missing"
e2e_wait_exit "$E2E_LAST_PID" 10 || e2e_fail "a missing report directory was not refused"
e2e_equal "$E2E_EXIT" 1 "exit code with a missing report directory"
grep -q "the directory '$WORK/missing'" "$WORK/bad.err" || e2e_fail "no clear error: $(cat "$WORK/bad.err")"
[[ ! -e $MON_DIR/traffic.log ]] || e2e_fail "a monitor was started for a missing report directory"

name=e2e-report-$E2E_ID
e2e_server "$name" 5802
e2e_spawn /dev/null "$WORK/watch.out" "$WORK/watch.err" ip netns exec "$NS_HOST" "$KVT_CONSOLE" --pipe "$PIPE" \
    --launch "$MON_DIR/kvtmon" --watch GameClient.exe --report "$WORK/rep"
WATCH_PID=$E2E_LAST_PID
e2e_wait_line "$WORK/watch.out" '^accelerated process: GameClient.exe$' 20 || e2e_fail "the watch did not start"
e2e_client flow "$HOST_ADDR" 5802 -b 16M -n 10000000
e2e_sent flow
e2e_wait_line "$WORK/watch.out" ' processes \(' 75 || e2e_fail "no process list within 75 s"
kill -INT "$WATCH_PID"
e2e_wait_exit "$WATCH_PID" 20 || e2e_fail "the watch did not end within 20 s of Ctrl-C"
e2e_equal "$E2E_EXIT" 0 "the watch's exit code"
grep -q "report written to $WORK/rep: report.csv, report.json, rates.png" "$WORK/watch.err" ||
    e2e_fail "no report written: $(tail -n 3 "$WORK/watch.err")"

row=$(grep -m1 "^$name," "$WORK/rep/report.csv") || e2e_fail "report.csv has no row for $name"
IFS=, read -r _ pids _ _ _ down _ _ exited _ <<<"$row"
[[ " $pids " == *" $SERVER_PID "* ]] || e2e_fail "the row's pids '$pids' lack $SERVER_PID"
e2e_near "$down" "$SENT" 10 "$name down, in report.csv"
e2e_equal "$exited" no "$name exited"
grep -q '"totals": {"machine": {' "$WORK/rep/report.json" || e2e_fail "report.json has no machine totals"
[[ $(head -c 4 "$WORK/rep/rates.png" | od -An -c | tr -d ' ') == '211PNG' ]] || e2e_fail "rates.png is not a PNG"
e2e_log "$E2E_NAME: passed"
