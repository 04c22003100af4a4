#!/usr/bin/env bash
# The program's windows around the floating speed window, started twice with different settings files.
# The strip: default and stored position, size, rounded corners and text; the text by acceleration and
# alarm state with the engine's figures; the alarm blink; the hidden setting winning over show requests;
# the context menu's check mark and the settings its commands write; the double click and the exit
# command reaching the accelerator's window; dragging; the full-screen hand-off; the end by WM_CLOSE and
# by the exit request. The main window: opened from the strip's menu, from the plugin's request and from
# the status button, a second request raising the same one; the layout in pixels; the tabs; the header's
# three cases; Esc swallowed, Enter closing it with the program running on; its caption's close button
# (a press released elsewhere does nothing) and WM_CLOSE showing the strip again, except while the
# acceleration-state pop-up is open or the strip's setting keeps it hidden; the About box. The settings
# dialog (its rules are the unit test's) writes SHOW on the floating-window click and hides the strip at
# once, keeps the file on Escape and on Enter, writes both on 确定; the threshold dialog (through the
# settings dialog's link) writes a clamped percentage back on opening and saves 150 as 100; the history
# page's texts; the alarm information dialog opens only once.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
harness=$1
. "$here/harness-lib.sh"
read -r screen_width _ <<<"$(screen_size)"
main="dialog 进程流量监控"
# Waits for the header's texts to match: description, left and right figure; keeps the answer in $window.
wait_header() {
    local description=$1 left=$2 right=$3
    poll 25 0.2 eval 'window=$(ask "$main") && grep -Eqx -- "$description" <<<"$(cell 1092 "$window")" &&
        grep -Eqx -- "$left" <<<"$(cell 1094 "$window")" && grep -Eqx -- "$right" <<<"$(cell 1093 "$window")"' ||
        fail "header: $(tr '\t' ' ' <<<"$window")"
}
wait_main() { wait_for "count 进程流量监控" '^count 1$' >/dev/null; wait_for "$main" "${1:-^dialog [0-9]}"; }
wait_no_main() { wait_for "$main" '^dialog none$' >/dev/null; }
one_main() { never "a second main window" eval '[ "$(ask "count 进程流量监控")" != "count 1" ]'; }
# The strip's status button. The pointer comes from elsewhere: a window that appeared under a still
# pointer may not know yet that the pointer is over it.
click_status_button() {
    xdotool mousemove "$((x - 60))" "$((y + 120))" sleep 0.3 mousemove "$((x + 156))" "$((y + 12))" sleep 0.3 click 1
}
config="$(dirname "$harness")/config/Alarm.txt"
cp "$config" "$work/Alarm.txt.shipped"
restore_config() { cp "$work/Alarm.txt.shipped" "$config"; }
on_cleanup=restore_config
percentage() { grep -a "^Percentage=" "$config" | head -1 | cut -d= -f2- | tr -d '\r'; }
# The settings and threshold dialogs are both titled 设置; the answer is the one in front.
setting_dialog() { wait_for "dialog 设置" "${1:-^dialog [0-9]}"; }
press() { click "$(at "$(setting_dialog)" "$1")"; }
checked() { grep -q $'\t'"checked $1"'\b' <<<"$(setting_dialog)"; }

# --- Run 1: defaults. The strip appears near the top right corner with the machine's rate.
start_strip
[ "$x" -eq "$((screen_width - 170 - 151))" ] && [ "$y" -eq 15 ] || fail "default position $x,$y"
grep -q ' w=170 h=25 topmost=1 image=normal text=网络占用：0bps$' <<<"$report" || fail "first report: $report"
shot floating-default.png
# Rounded region: the corner pixel is the root window's black, the strip's edge next to it is not.
[ "$(pixel floating-default.png "$x" "$y")" = "srgb(0,0,0)" ] || fail "the corner is not cut"
[ "$(pixel floating-default.png "$((x + 85))" "$((y + 12))")" != "srgb(0,0,0)" ] || fail "no strip drawn"
pass "default position $x,$y, 170x25, top-most, rounded, 网络占用：0bps"

# Traffic of an ordinary process, and the accelerator's own report of its tunnel.
ask "traffic 1250000 0" >/dev/null
ask "accel 1000 2000" >/dev/null
ask "state 1 0" >/dev/null
report=$(wait_for report 'text=网游流量：24kb')
shot floating-accelerating.png
pass "accelerating: $(field text "$report") (the tunnel's 3000 bytes)"

ask "state 1 1" >/dev/null
report=$(wait_for report 'text=异常流量：10mb')
wait_for report 'image=alertA' >/dev/null
wait_for report 'image=alertB' >/dev/null
shot floating-alarm.png
ask "state 1 0" >/dev/null
wait_for report 'image=normal' >/dev/null
pass "alarm: $(field text "$report") (1.25 MB outside the tunnel), the status button blinks and stops"
ask "state 0 0" >/dev/null
wait_for report 'text=网络占用：0bps' >/dev/null

# --- The strip's menu "查看流量详情" opens the main window, modeless: size, page, layout, header.
ask fill >/dev/null
choose "$((x + 10)) $((y + 12))" 32795 >/dev/null
wait_main >/dev/null
wait_header 尚未开启网游加速 '本机上传：[0-9.]+[kmg]?bps' '本机下载：[0-9.]+[kmg]?bps'
grep -q '^dialog [0-9-]*,[0-9-]*,554,567'$'\t' <<<"$window" || fail "size: $(cut -f1 <<<"$window")"
for expected in 1080=22,27,30,32 1092=64,27,400,16 1094=64,47,180,16 1093=254,47,180,16 1089=42,73,85,28 \
    1003=127,73,85,28 1095=10,101,522,375 "page 222=11,102,520,373"; do
    grep -qE $'\t'"(box )?$expected("$'\t'"|\$)" <<<"$window" || fail "layout: $expected not in $(tr '\t' ' ' <<<"$window")"
done
shot main-not-accelerating.png
pass "menu: 554x567, the traffic page, layout as the table, 尚未开启网游加速"

choose "$((x + 10)) $((y + 12))" 32795 >/dev/null
one_main
ask main-modal >/dev/null
one_main
pass "a second request from the menu or the plugin raises the same window"

# --- Tabs.
click "$(at "$window" 1003)"
wait_main $'\tpage 223=' >/dev/null
shot main-alarm-page.png
click "$(at "$window" 1089)"
wait_main $'\tpage 222=' >/dev/null
pass "the tabs switch the pages"

# --- The header's three cases; traffic through the tunnel shows as a rate in the next second.
ask "state 1 1" >/dev/null
ask "accel 50000 80000" >/dev/null
wait_header 检测到异常流量，游戏前请关闭相关进程 '网游：[1-9][0-9.]*[kmg]?bps' '其他：[0-9.]+[kmg]?bps'
shot main-abnormal.png
ask "state 2 0" >/dev/null
wait_header 流量监控已开启，尚未检测到异常流量 '网游：1.06mb' '其他：[0-9.]+[kmg]?b'
[ "$(cell 1093 "$window")" != "其他：0b" ] || fail "no other traffic counted"
shot main-monitoring.png
pass "abnormal: rates; monitoring: totals, $(cell 1094 "$window") (the tunnel's 3000 and 130000 bytes), $(cell 1093 "$window")"
ask "state 0 0" >/dev/null
wait_header 尚未开启网游加速 '.*' '.*'

# --- Esc is swallowed (Enter, next, shows that keys arrive); Enter closes; the program runs on.
key "$(window 进程流量监控)" Escape
never "Esc closed the main window" eval '[ "$(ask "$main")" = "dialog none" ]'
key "$(window 进程流量监控)" Return
wait_no_main
wait_for report 'visible=1' >/dev/null
pass "Esc swallowed, Enter closes the modeless window; the strip runs on"

# --- The status button while not accelerating: the strip hides, the main window opens; its close
# button brings the strip back ...
click_status_button
window=$(wait_main)
wait_for report 'visible=0' >/dev/null
IFS=, read -r mx my mw _ <<<"$(cut -f1 <<<"${window#dialog }")"
close_button="$((mx + mw - 6 - 10)) $((my + 7 + 9))" # 19 wide, 6 from the right edge
xdotool mousemove $close_button sleep 0.3
shot main-status-button.png # the close button's hover face
xdotool mousedown 1 mousemove "$((mx + 60))" "$((my + 100))" mouseup 1
never "a press on close released elsewhere closed the main window" eval '[ "$(ask "$main")" = "dialog none" ]'
click "$close_button"
wait_no_main
wait_for report 'visible=1' >/dev/null
# ... but not while the acceleration-state pop-up is open.
click_status_button
wait_main >/dev/null
ask alarm >/dev/null
popup=$(wait_for "dialog Zelvan 加速状态" '^dialog [0-9]')
ask main-close >/dev/null
wait_no_main
never "the strip came back over the acceleration-state pop-up" strip_visible
click "$(at "$popup" 1087 8)" # 忽略 closes it, and the strip comes back
wait_for report 'visible=1' >/dev/null
pass "status button: the strip hides, the main window opens; closing it shows the strip again unless the pop-up is open"

# --- The plugin's request: a modal window; Enter closes it and the program runs on.
ask main-modal >/dev/null
wait_main >/dev/null
shot main-modal.png
key "$(window 进程流量监控)" Return
wait_no_main
wait_for report 'visible=1' >/dev/null
# With the strip's setting at hidden, WM_CLOSE leaves it hidden.
choose "$((x + 10)) $((y + 12))" 32796 >/dev/null
wait_for report 'visible=0' >/dev/null
ask main-modal >/dev/null
wait_main >/dev/null
ask main-close >/dev/null
wait_no_main
never "WM_CLOSE showed the strip although SHOW=0" strip_visible
pass "plugin's request: modal, Enter closes; with SHOW=0 WM_CLOSE leaves the strip hidden"

# --- The About box: opened, shown, closed by Enter.
ask about >/dev/null
about=$(window 关于进程流量监控)
shot about-box.png
key "$about" Return
wait_for "count 关于进程流量监控" '^count 0$' >/dev/null
pass "the About box opens and Enter closes it"

# --- The settings dialog, with the strip's setting back at shown and a threshold below the range.
ask "suspension-state 1" >/dev/null
wait_for report 'visible=1' >/dev/null
printf '[REFLUX]\r\nDownLoadReFlux=5000\r\n[PERCENTAGE]\r\nPercentage=10\r\n' >"$config"
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

# --- The threshold dialog, opened through the settings dialog's link (its rules are the unit test's).
ask "open settings" >/dev/null
press 1104
setting_dialog $'\t1014=' >/dev/null
shot threshold-dialog.png
[ "$(percentage)" = 30 ] || fail "Percentage=10 was not written back as 30: $(percentage)"
ask "settext 设置 1014 150" >/dev/null
press 4
setting_dialog $'\t1074=' >/dev/null
[ "$(percentage)" = 100 ] || fail "确定 wrote Percentage=$(percentage)"
key "$(window 设置)" Escape
wait_event "closed settings 2$"
pass "threshold: 10 written back as 30 on opening; 150 saved as 100"

# --- The history page and the alarm information dialog.
ask "history add" >/dev/null
[ "$(ask "page alarms")" = ok ] || fail "the history page did not open"
rows=$(ask rows)
figures='1.50KB/S|250.00KB/S|2.50MB|1.50KB'
# First the alarm ignored above, then the three added.
[ "$rows" = $'rows 5\t'"Chat.exe|300|$figures|已忽略"$'\t'"Browser.exe|100|$figures|已忽略"$'\t'"Game.exe|200|$figures|未处理"$'\t'"Browser.exe|100|$figures|已忽略"$'\t'"Old.exe(已关闭)|900|$figures|已优化" ] ||
    fail "history rows: $(flat "$rows")"
sleep 0.5 # its first paint
shot alarm-record-page.png
pass "history page: 5 rows, 未处理 / 已忽略 / 已优化, the closed marker on the process without a record"

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

# --- Back to the strip. Dragging moves it; the position is not stored by the move.
xdotool mousemove "$((x + 10))" "$((y + 12))" sleep 0.3 mousedown 1 sleep 0.2
for step in 1 2 3 4 5 6 7 8; do
    xdotool mousemove "$((x + 10 - step * 25))" "$((y + 12 + step * 30))" sleep 0.05
done
xdotool mouseup 1
x=$((x - 200))
y=$((y + 240))
wait_for report "x=$x y=$y" >/dev/null
shot floating-dragged.png
! has_setting LOCATION "$x,$y" || fail "the move stored a position: $(setting LOCATION)"
pass "dragged to $x,$y; nothing stored"

xdotool mousemove "$((x + 10))" "$((y + 12))" click --repeat 2 --delay 60 1
wait_event accelerator-shown
pass "double click shows the accelerator's window"

# The context menu: alarms off (settings 确定 above), unchecked; the toggle writes ALARM both ways.
strip="$((x + 10)) $((y + 12))"
menu=$(choose "$strip" 32802 floating-menu-alarm-off.png)
grep -q 'checked' <<<"$menu" && fail "显示报警 checked with ALARM=0: $menu"
until_ok "ALARM after the toggle: $(setting ALARM)" has_setting ALARM 1
menu=$(choose "$strip" 32802 floating-menu.png)
grep -q $'\tchecked 32802' <<<"$menu" || fail "显示报警 not checked with ALARM=1: $menu"
until_ok "ALARM after the second toggle: $(setting ALARM)" has_setting ALARM 0
pass "显示报警 follows the file and writes ALARM=1, then ALARM=0"

choose "$strip" 32798 >/dev/null
wait_event accelerator-closed
pass "退出Zelvan closes the accelerator's window"

# A show request is seen at once while SHOW=1 ...
ask hide >/dev/null
wait_for report 'visible=0' >/dev/null
ask show >/dev/null
wait_for report 'visible=1' >/dev/null
# ... and refused after 隐藏悬浮窗 stored SHOW=0 (with the dragged position), until SHOW=1 is stored.
choose "$strip" 32796 >/dev/null
wait_for report 'visible=0' >/dev/null
has_setting SHOW 0 && has_setting LOCATION "$x,$y" || fail "hide wrote SHOW=$(setting SHOW) LOCATION=$(setting LOCATION)"
ask show >/dev/null
never "shown although SHOW=0" strip_visible
ask "suspension-state 1" >/dev/null
wait_for report 'visible=1' >/dev/null
has_setting SHOW 1 || fail "SetSuspensionDlgState did not store SHOW=1"
pass "隐藏悬浮窗 stores SHOW=0 and LOCATION=$x,$y; show refused until SHOW=1 is stored"

# A full-screen application in front hides the strip; its end shows it again.
[ "$(ask "fullscreen open")" = "foreground-is-game=1" ] || fail "the full-screen window did not take the foreground"
wait_for report 'visible=0' >/dev/null
ask "fullscreen close" >/dev/null
wait_for report 'visible=1' >/dev/null
pass "full-screen application: hidden, then shown again"

# WM_CLOSE ends the program: the service stops, the loop ends, exit code 0; nothing is written.
ask close >/dev/null
wait_end "after WM_CLOSE"
has_setting LOCATION "$x,$y" && has_setting SHOW 1 || fail "WM_CLOSE wrote the settings"
pass "WM_CLOSE ends the harness with exit code 0"

# --- Run 2: SHOW=0 keeps the strip hidden from the start (run 1 saw it shown) at its stored position;
# the exit request ends the program and stores SHOW and the position.
write_settings 0 "100,200" 1
start_harness
never "shown with SHOW=0" strip_visible
grep -q ' x=100 y=200 ' <<<"$(ask report)" || fail "the stored position was not used: $(ask report)"
shot floating-hidden.png
ask exit >/dev/null
wait_end "after the exit request"
has_setting SHOW 0 && has_setting LOCATION "100,200" ||
    fail "the exit request wrote SHOW=$(setting SHOW) LOCATION=$(setting LOCATION)"
pass "SHOW=0 starts hidden at the stored 100,200; the exit request stores both and ends"
