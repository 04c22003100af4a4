#!/usr/bin/env bash
# The metrics endpoint under a real Prometheus. The monitor listens on its namespace's loopback, a
# Prometheus started here scrapes it every second, and after an iperf3 transfer Prometheus's HTTP API
# answers the receiving process's bytes within 1 % of iperf3's own count. Meanwhile, and for a whole
# minute, a scrape every 100 ms must neither make the capture drop anything nor keep the statistics
# tick from its second: the console gets at least 58 totals pushes in that minute. promtool checks the
# exposition text.
source "$(dirname "$0")/lib.sh"
e2e_init metrics prometheus promtool curl
e2e_netns
e2e_monitor_dir
ip -n "$NS_HOST" link set lo up
mkdir -p "$MON_DIR/tmp"
printf '[METRICS]\nLISTEN=127.0.0.1:9464\n' >"$MON_DIR/tmp/kestrivonsetting.txt"
e2e_console_start
e2e_monitor_start Accelerator.exe

in_host() { ip netns exec "$NS_HOST" "$@"; }
endpoint=http://127.0.0.1:9464
in_host curl -sf "$endpoint/metrics" >"$WORK/first.txt" || e2e_fail "the endpoint does not answer"
in_host promtool check metrics <"$WORK/first.txt" || e2e_fail "promtool check metrics refused the exposition"

cat >"$WORK/prometheus.yml" <<CONFIG
global: {scrape_interval: 1s, evaluation_interval: 1s}
scrape_configs:
  - job_name: kvtmon
    static_configs: [{targets: ['127.0.0.1:9464']}]
CONFIG
e2e_spawn /dev/null "$WORK/prometheus.out" "$WORK/prometheus.err" ip netns exec "$NS_HOST" prometheus \
    --config.file="$WORK/prometheus.yml" --storage.tsdb.path="$WORK/tsdb" --web.listen-address=127.0.0.1:9090
e2e_wait_line "$WORK/prometheus.err" 'Server is ready to receive web requests' 30 || e2e_fail "Prometheus did not start"

# The value of a PromQL query's first sample into VALUE (empty when there is none yet).
promql() {
    VALUE=$(in_host curl -s http://127.0.0.1:9090/api/v1/query --data-urlencode "query=$1" |
        sed -n 's/.*"value":\[[^,]*,"\([0-9.e+]*\)"\].*/\1/p')
}

name=e2e-metrics-$E2E_ID
e2e_server "$name" 5501
e2e_spawn /dev/null /dev/null /dev/null ip netns exec "$NS_HOST" \
    bash -c "while :; do curl -s -o /dev/null $endpoint/metrics; sleep 0.1; done"
scraper=$E2E_LAST_PID
scrape_from=$(e2e_now_us)
lines_from=$(wc -l <"$WORK/console.out")
e2e_client m "$HOST_ADDR" 5501 -b 64M -n 20000000
e2e_sent m
query="kvtmon_process_bytes_total{process=\"$name\",direction=\"down\"}"
deadline=$((SECONDS + 30))
until promql "$query"; [[ -n $VALUE ]] && ((${VALUE%.*} >= SENT * 99 / 100)); do
    ((SECONDS < deadline)) || e2e_fail "Prometheus has no complete figure for $name (last: ${VALUE:-none})"
    sleep 1
done
e2e_near "${VALUE%.*}" "$SENT" 10 "$name down, through Prometheus"

# The scrapes go on to a minute. The drop count is a total: its value at the end covers the minute.
left=$((scrape_from + 60000000 - $(e2e_now_us)))
((left <= 0)) || sleep "$((left / 1000000)).$(printf %06d $((left % 1000000)))"
lines_to=$(wc -l <"$WORK/console.out")
scraped_ms=$((($(e2e_now_us) - scrape_from) / 1000))
kill "$scraper"
drops=$(in_host curl -sf "$endpoint/metrics" |
    awk '/^kvtmon_capture_dropped_packets_total/ { s += $2 } END { print s + 0 }') || e2e_fail "the endpoint did not answer"
pushes=$(sed -n "$((lines_from + 1)),${lines_to}p" "$WORK/console.out" | grep -c '"dir":"in","id":77,' || true)
e2e_log "figure: $pushes PostLocalDownReflux pushes, $drops packets dropped, in $scraped_ms ms of a scrape every 100 ms"
((pushes >= 58)) || e2e_fail "the statistics tick lost its second: $pushes totals pushes in $scraped_ms ms"
e2e_equal "$drops" 0 "packets the capture dropped under a scrape every 100 ms"
e2e_finish
