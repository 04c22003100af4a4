#!/usr/bin/env bash
# The alarm and settings dialogs under Wine and Xvfb: the harness (the dialogs beside the floating
# window, on an engine with fake system tables) driven by xdotool and by commands on its standard input.
# Screenshots go to wine-shots/ of the build tree.
#
# Checked: the settings dialog writes SHOW (and ALARM) on the floating-window click and hides the strip
# at once, keeps ALARM on Escape, writes nothing on Enter, writes both on 确定; the threshold dialog
# writes a clamped percentage back on opening, switches the strip at once without writing, writes
# nothing on Escape, saves 150 as 100 with SHOW, and answers a non-number with "保存失败" and no write;
# the history page lists the history; the alarm information dialog opens only once.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
harness=$1
. "$here/harness-lib.sh"
config="$dir/config/Alarm.txt"
cp "$config" "$work/Alarm.txt.shipped"
restore_config() { cp "$work/Alarm.txt.shipped" "$config"; }
on_cleanup=restore_config

percentage() { grep -a "^Percentage=" "$config" | head -1 | cut -d= -f2- | tr -d '\r'; }

closed_seen=0
wait_closed() {  # waits for the next "closed NAME ID" event and checks it
    local got
    for _ in $(seq 50); do
        got=$(tr -d '\r' <"$work/out" | grep '^closed ' | sed -n "$((closed_seen + 1))p")
        if [ -n "$got" ]; then
            closed_seen=$((closed_seen + 1))
            [ "$got" = "closed $1 $2" ] || fail "expected 'closed $1 $2', got '$got'"
            return 0
        fi
        sleep 0.1
    done
    fail "$1 did not close"
}

wait_window() {  # the visible window titled $1
    local w=""
    for _ in $(seq 50); do
        w=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
        [ -n "$w" ] && { echo "$w"; return 0; }
        sleep 0.1
    done
    fail "no window $1"
}

click() {  # clicks control $2 of the window titled $1
    local at
    at=$(ask "ctl $1 $2")
    [ "${at#ctl }" != none ] || fail "no control $2 in $1"
    # shellcheck disable=SC2086
    xdotool mousemove ${at#ctl } click 1
    sleep 0.3
}
key() { xdotool windowfocus --sync "$1" key "$2"; }

printf '[SUSPENSION]\r\nSHOW=1\r\nLOCATION=-1, -1\r\n[ALARM]\r\nALARM=1\r\n' >"$settings"
printf '[REFLUX]\r\nDownLoadReFlux=5000\r\n[PERCENTAGE]\r\nPercentage=10\r\n' >"$config"
start_harness
for _ in $(seq 50); do
    [ "$(ask records)" = "records 2" ] && break
    sleep 0.2
done
[ "$(ask records)" = "records 2" ] || fail "the engine has no records: $(ask records)"
[ "$(field floating "$(ask report)")" = 1 ] || fail "the strip is not shown"

# --- The settings dialog.
ask settings >/dev/null
w=$(wait_window 设置)
shot settings-dialog.png
[ "$(ask 'check 设置 1074')" = "check 1" ] && [ "$(ask 'check 设置 1075')" = "check 1" ] || fail "boxes not ticked"
click 设置 1074
[ "$(setting SHOW)" = 0 ] && [ "$(setting ALARM)" = 1 ] || fail "the click wrote SHOW=$(setting SHOW) ALARM=$(setting ALARM)"
[ "$(field floating "$(ask report)")" = 0 ] || fail "the strip stayed shown"
shot settings-floating-off.png
click 设置 1075
[ "$(setting ALARM)" = 1 ] || fail "the alarm click wrote ALARM"
key "$w" Escape
wait_closed settings 2
[ "$(setting SHOW)" = 0 ] && [ "$(setting ALARM)" = 1 ] || fail "Escape wrote the settings"
pass "settings: the floating-window click writes SHOW=0 and hides the strip; Escape keeps ALARM=1"

cp "$settings" "$work/before"
ask settings >/dev/null
w=$(wait_window 设置)
[ "$(ask 'check 设置 1074')" = "check 0" ] && [ "$(ask 'check 设置 1075')" = "check 0" ] || fail "boxes after Escape"
key "$w" Return
wait_closed settings 1
cmp -s "$settings" "$work/before" || fail "Enter wrote the settings file"
ask settings >/dev/null
wait_window 设置 >/dev/null
click 设置 1074
[ "$(field floating "$(ask report)")" = 1 ] || fail "the strip did not come back"
click 设置 1075
click 设置 1076
wait_closed settings 1076
[ "$(setting SHOW)" = 1 ] && [ "$(setting ALARM)" = 1 ] || fail "确定 wrote SHOW=$(setting SHOW) ALARM=$(setting ALARM)"
pass "settings: Enter writes nothing; 确定 writes SHOW=1 ALARM=1; the strip is back at once"

# --- The threshold dialog, opened through the settings dialog's link.
ask settings >/dev/null
wait_window 设置 >/dev/null
click 设置 1104
for _ in $(seq 50); do
    [ "$(ask 'ctl 设置 1014')" != "ctl none" ] && break
    sleep 0.1
done
shot threshold-dialog.png
[ "$(percentage)" = 30 ] || fail "Percentage=10 was not written back as 30: $(percentage)"
click 设置 1041
[ "$(field floating "$(ask report)")" = 0 ] || fail "the threshold click did not hide the strip"
[ "$(setting SHOW)" = 1 ] || fail "the threshold click wrote SHOW"
ask "settext 设置 1014 150" >/dev/null
click 设置 1014  # the threshold dialog's edit takes the focus, and the key
xdotool key Escape
sleep 0.5
[ "$(percentage)" = 30 ] && [ "$(setting SHOW)" = 1 ] || fail "Escape saved"
[ "$(ask 'check 设置 1074')" = "check 0" ] || fail "the settings dialog did not follow the cancelled switch"
w=$(wait_window 设置)
key "$w" Escape
wait_closed settings 2
pass "threshold: 10 written back as 30 on opening; its click hides the strip without writing; Escape saves nothing"

ask threshold >/dev/null
w=$(wait_window 设置)
# The cancelled switch is kept in memory: no reload is pending since the last threshold dialog.
[ "$(ask 'check 设置 1041')" = "check 0" ] || fail "显示悬浮窗 ticked after the cancelled switch"
ask "settext 设置 1014 150" >/dev/null
click 设置 4
wait_closed threshold 4
[ "$(percentage)" = 100 ] && [ "$(setting SHOW)" = 0 ] || fail "确定 wrote Percentage=$(percentage) SHOW=$(setting SHOW)"
ask threshold >/dev/null
w=$(wait_window 设置)
ask "settext 设置 1014 abc" >/dev/null
click 设置 4
for _ in $(seq 30); do
    [ "$(field msgbox "$(ask report)")" = 1 ] && break
    sleep 0.1
done
[ "$(field msgbox "$(ask report)")" = 1 ] || fail "no message box for a non-number"
shot threshold-save-failed.png
ask dismiss >/dev/null
wait_closed threshold 4
[ "$(percentage)" = 100 ] && [ "$(setting SHOW)" = 0 ] || fail "a non-number was saved"
pass "threshold: 150 saved as 100 with SHOW=0; abc gives 保存失败 and writes nothing"

# --- The history page and the alarm information dialog.
ask history >/dev/null
page=$(ask page)
IFS='|' read -r count game browser old <<<"$page"
[ "$count" = "page 3" ] || fail "page rows: $page"
[ "$game" = "Game.exe,100,1.50KB/S,250.00KB/S,2.50MB,1.50KB,未处理," ] || fail "first row: $game"
[ "$browser" = "Browser.exe,200,1.50KB/S,250.00KB/S,2.50MB,1.50KB,已忽略," ] || fail "second row: $browser"
[ "$old" = "Old.exe(已关闭),300,1.50KB/S,250.00KB/S,2.50MB,1.50KB,已优化," ] || fail "third row: $old"
wait_window 报警记录页 >/dev/null
sleep 0.3
shot alarm-record-page.png
pass "history page: 3 rows, 未处理 / 已忽略 / 已优化, the closed marker on the process without a record"

ask info >/dev/null
w=$(wait_window 报警信息)
sleep 0.3
shot alarm-info-dialog.png
ask info >/dev/null
wait_closed info 0
[ "$(field infos "$(ask report)")" = 1 ] || fail "a second 报警信息 window: $(ask report)"
key "$w" Return
wait_closed info 1
[ "$(field infos "$(ask report)")" = 0 ] || fail "报警信息 still open"
pass "alarm information dialog: opens once; a second request raises it"

# The harness ends before it could answer.
echo exit >&3
wait_exit exit
echo "screenshots in $shots"
