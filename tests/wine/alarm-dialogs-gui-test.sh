#!/usr/bin/env bash
# The alarm and settings dialogs beside the floating window, wired to the rules that the settings
# dialogs' unit test checks. Checked: the settings dialog writes SHOW on the floating-window click and
# hides the strip at once, keeps the file on Escape and on Enter, writes both on 确定; the threshold
# dialog (through the settings dialog's link) writes a clamped percentage back on opening, switches the
# strip at once without writing, writes nothing on Escape, saves 150 as 100 with SHOW, and answers a
# non-number with "保存失败" and no write; the history page's texts; the alarm information dialog opens
# only once.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
harness=$1
. "$here/harness-lib.sh"
config="$(dirname "$harness")/config/Alarm.txt"
cp "$config" "$work/Alarm.txt.shipped"
restore_config() { cp "$work/Alarm.txt.shipped" "$config"; }
on_cleanup=restore_config
percentage() { grep -a "^Percentage=" "$config" | head -1 | cut -d= -f2- | tr -d '\r'; }
# The settings and threshold dialogs are both titled 设置; the answer is the one in front.
setting_dialog() { wait_for "dialog 设置" "${1:-^dialog [0-9]}"; }
press() { click "$(at "$(setting_dialog)" "$1")"; }
checked() { grep -q $'\t'"checked $1"'\b' <<<"$(setting_dialog)"; }

printf '[REFLUX]\r\nDownLoadReFlux=5000\r\n[PERCENTAGE]\r\nPercentage=10\r\n' >"$config"
start_strip

# --- The settings dialog.
ask "open settings" >/dev/null
checked 1074 && checked 1075 || fail "boxes not ticked: $(setting_dialog)"
shot settings-dialog.png
press 1074
until_ok "the click wrote SHOW=$(setting SHOW)" has_setting SHOW 0
until_ok "the strip stayed shown" eval '! strip_visible'
shot settings-floating-off.png
key "$(window 设置)" Escape
wait_event "closed settings 2$"
has_setting SHOW 0 && has_setting ALARM 1 || fail "Escape wrote the settings"
pass "settings: the floating-window click writes SHOW=0 and hides the strip; Escape keeps ALARM=1"

cp "$settings" "$work/before"
ask "open settings" >/dev/null
setting_dialog >/dev/null
key "$(window 设置)" Return
wait_event "closed settings 1$"
cmp -s "$settings" "$work/before" || fail "Enter wrote the settings file"
ask "open settings" >/dev/null
press 1074
until_ok "the strip did not come back" strip_visible
press 1075
until_ok "the alarm box did not change" eval '! checked 1075'
has_setting ALARM 1 || fail "the alarm click wrote ALARM"
press 1076
wait_event "closed settings 1076$"
has_setting SHOW 1 && has_setting ALARM 0 || fail "确定 wrote SHOW=$(setting SHOW) ALARM=$(setting ALARM)"
pass "settings: Enter writes nothing; 确定 writes SHOW=1 ALARM=0; the strip is back at once"

# --- The threshold dialog, opened through the settings dialog's link.
ask "open settings" >/dev/null
press 1104
setting_dialog $'\t1014=' >/dev/null
shot threshold-dialog.png
[ "$(percentage)" = 30 ] || fail "Percentage=10 was not written back as 30: $(percentage)"
press 1041
until_ok "the threshold click did not hide the strip" eval '! strip_visible'
has_setting SHOW 1 || fail "the threshold click wrote SHOW"
ask "settext 设置 1014 150" >/dev/null
press 1014 # the threshold dialog's edit takes the focus, and the key
xdotool key Escape
setting_dialog $'\t1074=' >/dev/null
[ "$(percentage)" = 30 ] && has_setting SHOW 1 || fail "Escape saved"
key "$(window 设置)" Escape
wait_event "closed settings 2$"
pass "threshold: 10 written back as 30 on opening; its click hides the strip without writing; Escape saves nothing"

ask "open threshold" >/dev/null
# The cancelled switch is kept in memory: no reload is pending since the last threshold dialog.
! checked 1041 || fail "显示悬浮窗 ticked after the cancelled switch"
ask "settext 设置 1014 150" >/dev/null
press 4
wait_event "closed threshold 4$"
[ "$(percentage)" = 100 ] && has_setting SHOW 0 || fail "确定 wrote Percentage=$(percentage) SHOW=$(setting SHOW)"
ask "open threshold" >/dev/null
setting_dialog >/dev/null
ask "settext 设置 1014 abc" >/dev/null
press 4
box=$(wait_dialog msgbox)
grep -q '保存失败' <<<"$box" || fail "no 保存失败 for a non-number: $(flat "$box")"
shot threshold-save-failed.png
click "$(at "$box" 1)"
wait_event "closed threshold 4$"
[ "$(percentage)" = 100 ] && has_setting SHOW 0 || fail "a non-number was saved"
pass "threshold: 150 saved as 100 with SHOW=0; abc gives 保存失败 and writes nothing"

# --- The history page and the alarm information dialog.
ask "history add" >/dev/null
[ "$(ask "page alarms")" = ok ] || fail "the history page did not open"
rows=$(ask rows)
figures='1.50KB/S|250.00KB/S|2.50MB|1.50KB'
[ "$rows" = $'rows 3\t'"Game.exe|200|$figures|未处理"$'\t'"Browser.exe|100|$figures|已忽略"$'\t'"Old.exe(已关闭)|900|$figures|已优化" ] ||
    fail "history rows: $(flat "$rows")"
sleep 0.5 # its first paint
shot alarm-record-page.png
pass "history page: 3 rows, 未处理 / 已忽略 / 已优化, the closed marker on the process without a record"

ask "open info" >/dev/null
info=$(window 报警信息)
sleep 0.3 # its first paint
shot alarm-info-dialog.png
ask "open info" >/dev/null
wait_event "closed info 0$"
[ "$(ask "count 报警信息")" = "count 1" ] || fail "a second 报警信息 window"
key "$info" Return
wait_event "closed info 1$"
[ "$(ask "count 报警信息")" = "count 0" ] || fail "报警信息 still open"
pass "alarm information dialog: opens once; a second request raises it"

ask close >/dev/null
wait_end "after WM_CLOSE"
