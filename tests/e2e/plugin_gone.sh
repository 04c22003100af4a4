#!/usr/bin/env bash
# The plugin's end goes away: the monitor is the pipe's client and never connects again. It keeps
# running without a plugin (its pushes go nowhere, quietly), does not spin on the broken pipe, does not
# come to a plugin that serves the same name again, and still ends with exit code 0 when its host
# process ends.
source "$(dirname "$0")/lib.sh"
e2e_init plugin_gone
e2e_netns
HOST=e2e-host-$E2E_ID
e2e_server "$HOST" 5601
HOST_PID=$SERVER_PID
e2e_console_start
e2e_monitor_start "$HOST"
# A push of the totals has come, so the monitor writes to the pipe once a second.
e2e_await 77 10 || e2e_fail "no totals push"

# The plugin dies without a word.
kill -KILL "$CONSOLE_PID"
e2e_wait_exit "$CONSOLE_PID" 5 || e2e_fail "the console did not die"
exec {E2E_IN}>&- {E2E_OUT}<&-
E2E_IN='' E2E_OUT=''
# Idle: several rounds of pushes into a broken pipe, nothing else.
e2e_idle_cpu "$MON_PID" 4 "the monitor in the 4 s after the plugin's end went away"

# A plugin serving the same name again: the monitor does not come back to it.
e2e_spawn /dev/null "$WORK/console2.out" "$WORK/console2.err" "$KVT_CONSOLE" --pipe "$PIPE" --connect-timeout 5
e2e_wait_exit "$E2E_LAST_PID" 20 || e2e_fail "the second console did not end"
grep -q 'no monitor connected' "$WORK/console2.err" || e2e_fail "the monitor connected to the new plugin"
kill -0 "$MON_PID" 2>/dev/null || e2e_fail "the monitor ended without its plugin"

# Its host process ends: the monitor ends with exit code 0 as it does with a plugin.
kill -TERM "$HOST_PID"
e2e_monitor_ended 15 "the host process's exit without a plugin"
e2e_log "$E2E_NAME: passed"
