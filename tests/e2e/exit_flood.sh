#!/usr/bin/env bash
# A start on configuration and list files of random bytes: the monitor runs on the defaults (alarms
# on, floating window shown). Then ExitMonitor while a flood of small packets keeps every capture
# thread and the decoder busy: the monitor still ends within 3 s with exit code 0.
source "$(dirname "$0")/lib.sh"
e2e_init exit_flood
e2e_netns
e2e_monitor_dir
mkdir -p "$MON_DIR/tmp"
for f in config/Alarm.txt config/BlackList.txt config/WhiteList.txt tmp/kestrivonsetting.txt; do
    head -c 65536 /dev/urandom >"$MON_DIR/$f"
done
e2e_console_start
e2e_monitor_start Accelerator.exe
e2e_ask GetAlarmState 70 state
e2e_equal "$ANSWER" 1 "the alarm state from a file of random bytes"
e2e_ask GetSuspensionDlgState 34 state
e2e_equal "$ANSWER" 1 "the floating window's state from a file of random bytes"

# 18-byte datagrams (64-byte frames) as fast as one sender goes.
e2e_server flood 5901
e2e_client flood "$HOST_ADDR" 5901 -R -u -l 18 -b 0 -t 40
e2e_ask_until GetLocalUpReflux 22 bytes "ANSWER > 1000000" 20
before=$(e2e_if_stat "$IF_HOST" tx_packets)
since=$(e2e_now_us)
sleep 1
rate=$((($(e2e_if_stat "$IF_HOST" tx_packets) - before) * 1000000 / ($(e2e_now_us) - since)))
((rate > 1000)) || e2e_fail "no flood: $rate packets/s"
e2e_send ExitMonitor
e2e_monitor_ended 3 "ExitMonitor during a flood of $rate packets/s"
e2e_finish
