#!/usr/bin/env bash
# Configuration and list files that are broken, empty, huge (50 MB), binary or in an encoding the
# monitor does not expect. Each kind in turn, all four files at once: the monitor starts, writes its
# start line to the traffic log, reads the settings' defaults (alarms on, floating window shown) where
# the files hold nothing usable, answers, and ends with exit code 0. (The white list is read at start;
# the headless monitor has no black-list dialog, so its black list is written for completeness only.)
source "$(dirname "$0")/lib.sh"
e2e_init broken_config
e2e_netns
e2e_monitor_dir
mkdir -p "$MON_DIR/tmp"

readonly HUGE=$((50 * 1024 * 1024))
ALARM=$MON_DIR/config/Alarm.txt
SETTINGS=$MON_DIR/tmp/kestrivonsetting.txt
BLACK=$MON_DIR/config/BlackList.txt
WHITE=$MON_DIR/config/WhiteList.txt
STARTED_LINE=$(printf '启动流量监控成功' | iconv -f UTF-8 -t GBK)

# UTF-16LE with its byte-order mark, from UTF-8 text.
utf16() { printf '\xff\xfe'; printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE; }

write_broken() {
    printf '[REFLUX\r\nDownLoadReFlux=abc\r\nUpLoadReFlux\r\n=5\r\n[SPEED]]]\r\n[[[\r\nUpLoadSpeed==\r\n' >"$ALARM"
    printf '[PERCENTAGE\r\nPercentage=-\r\n[PERCENTAGE]\r\nPercentage=10\r\n' >>"$ALARM"
    printf '[SUSPENSION]\r\nSHOW\r\nLOCATION=abc\r\n[ALARM\r\nALARM=\r\n[ALARM]\r\nALARM=0\r\n' >"$SETTINGS"
    # Names without ".exe", ".EXE" in capitals, a line far beyond 255 characters, a lone name.
    utf16 $'no extension here\r\nGAME.EXE capitals\r\n'"$(printf 'x%.0s' $(seq 3000))"$'.exe long\r\n.exe\r\n' >"$BLACK"
    utf16 $'\r\n,;\r\n   \r\n.exe.exe.exe\r\n' >"$WHITE"
}

write_empty() {
    : >"$ALARM"
    : >"$SETTINGS"
    : >"$BLACK"
    : >"$WHITE"
}

# The first BYTES bytes of the line repeated (no pipe from yes: it would end by SIGPIPE).
repeated() { head -c "$2" < <(yes "$1"); }

write_huge() {
    local f
    for f in "$ALARM" "$SETTINGS"; do
        repeated 'a line of a huge file that sets nothing = at all' $HUGE >"$f"
    done
    for f in "$BLACK" "$WHITE"; do
        { printf '\xff\xfe'; repeated 'Huge.exe a line of a huge list' $((HUGE / 2)) | iconv -f UTF-8 -t UTF-16LE; } >"$f"
    done
}

write_binary() {
    local f
    for f in "$ALARM" "$SETTINGS" "$BLACK" "$WHITE"; do
        head -c 65536 /dev/urandom >"$f"
    done
}

write_misencoded() {
    # UTF-16 big-endian: not recognised, read as ANSI text full of NUL bytes.
    { printf '\xfe\xff'; printf '[SPEED]\r\nDownLoadSpeed=1\r\n' | iconv -f UTF-8 -t UTF-16BE; } >"$ALARM"
    # UTF-8 with its byte-order mark, Chinese in the values: GBK is expected.
    printf '\xef\xbb\xbf[SUSPENSION]\r\nSHOW=显示\r\n[ALARM]\r\nALARM=开\r\n' >"$SETTINGS"
    # GBK without a byte-order mark: read as UTF-16LE.
    printf '游戏.exe 中文说明\r\n' | iconv -f UTF-8 -t GBK >"$BLACK"
    # UTF-16LE with a lone surrogate and an odd last byte.
    { printf '\xff\xfe'; printf 'a.exe\r\n' | iconv -f UTF-8 -t UTF-16LE; printf '\x00\xd8b\x00.\x00e\x00x\x00e\x00\r\x00\n\x00\x41'; } >"$WHITE"
}

# One monitor with the files of a kind, served by a console of its own.
round() {
    local kind=$1 since deadline
    "write_$kind"
    e2e_log "$kind: $(stat -c '%n %s' "$ALARM" "$SETTINGS" "$BLACK" "$WHITE" | sed "s|$MON_DIR/||" | paste -sd ' ')"
    rm -f "$WORK/console.in" "$MON_DIR/traffic.log"
    E2E_PARTIAL=
    e2e_console_start
    since=$(e2e_now_us)
    # Reading and rewriting 50 MB files at start takes seconds on a busy machine.
    e2e_monitor_start Accelerator.exe 120
    e2e_log "figure: $kind: started in $((($(e2e_now_us) - since) / 1000)) ms"
    deadline=$(($(e2e_now_us) + 10 * 1000000))
    until LC_ALL=C grep -aqF "$STARTED_LINE" "$MON_DIR/traffic.log" 2>/dev/null; do
        (($(e2e_now_us) < deadline)) || e2e_fail "$kind: no start line in the traffic log"
        sleep 0.1
    done

    since=$(e2e_now_us)
    e2e_ask GetAlarmState 70 state
    e2e_log "figure: $kind: GetAlarmState answered in $((($(e2e_now_us) - since) / 1000)) ms"
    e2e_equal "$ANSWER" "$2" "$kind: the alarm state"
    e2e_ask GetSuspensionDlgState 34 state
    e2e_equal "$ANSWER" "$3" "$kind: the floating window's state"
    e2e_ask GetLocalDownReflux 20 bytes

    e2e_send ExitMonitor
    e2e_monitor_ended 25 "ExitMonitor ($kind)"
    exec {E2E_IN}>&-
    E2E_IN=
    e2e_wait_exit "$CONSOLE_PID" 25 || e2e_fail "$kind: the console did not end"
    e2e_equal "$E2E_EXIT" 0 "$kind: the console's exit code"
    exec {E2E_OUT}<&-
    E2E_OUT=
    e2e_log "$kind: passed"
}

# round KIND ALARM SHOW: what GetAlarmState and GetSuspensionDlgState must answer. The broken settings
# file's first "[ALARM" section (its header has no ']') holds an empty ALARM, which the start replaces
# with the default. In the UTF-8 file the byte-order mark hides the first section's header, so SHOW is
# missing and added with its default, while ALARM's value is no number: only an ALARM of 1 is on.
round broken 1 1
round empty 1 1
round huge 1 1
round binary 1 1
round misencoded 0 1
e2e_log "$E2E_NAME: passed"
