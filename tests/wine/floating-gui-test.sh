#!/usr/bin/env bash
# The floating speed window, started twice with different settings files. Checked: default and
# stored position, size, rounded corners and text; the text by acceleration and alarm state with the
# engine's figures; the alarm blink; the hidden setting winning over show requests; the context menu's
# check mark and the settings its commands write; the double click and the exit command reaching the
# accelerator's window; dragging; the full-screen hand-off; the end by WM_CLOSE and by the exit request.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
harness=$1
. "$here/harness-lib.sh"
read -r screen_width _ <<<"$(screen_size)"

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

# Dragging moves the strip; the position is not stored by the move.
xdotool mousemove "$((x + 10))" "$((y + 12))" sleep 0.3 mousedown 1 sleep 0.2
for step in 1 2 3 4 5 6 7 8; do
    xdotool mousemove "$((x + 10 - step * 25))" "$((y + 12 + step * 30))" sleep 0.05
done
xdotool mouseup 1
x=$((x - 200))
y=$((y + 240))
wait_for report "x=$x y=$y" >/dev/null
shot floating-dragged.png
has_setting LOCATION "-1, -1" || fail "the move stored a position: $(setting LOCATION)"
pass "dragged to $x,$y; nothing stored"

xdotool mousemove "$((x + 10))" "$((y + 12))" click --repeat 2 --delay 60 1
wait_event accelerator-shown
pass "double click shows the accelerator's window"

# The context menu: alarms on, checked; the toggle writes ALARM both ways.
strip="$((x + 10)) $((y + 12))"
menu=$(choose "$strip" 32802 floating-menu.png)
grep -q $'\tchecked 32802' <<<"$menu" || fail "显示报警 not checked with ALARM=1: $menu"
until_ok "ALARM after the toggle: $(setting ALARM)" has_setting ALARM 0
menu=$(choose "$strip" 32802 floating-menu-alarm-off.png)
grep -q 'checked' <<<"$menu" && fail "显示报警 checked with ALARM=0: $menu"
until_ok "ALARM after the second toggle: $(setting ALARM)" has_setting ALARM 1
pass "显示报警 follows the file and writes ALARM=0, then ALARM=1"

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
