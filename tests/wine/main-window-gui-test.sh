#!/usr/bin/env bash
# The main window under Wine and Xvfb, opened by the harness's floating window (on an engine with fake
# system tables) and driven by xdotool and by commands on the harness's standard input. Screenshots go
# to wine-shots/ of the build tree.
#
# Checked: the common controls of version 6 (the manifest); the main window opened from the strip's
# menu, from the plugin's request and from the status button, a second request raising the same one;
# the layout in pixels; the tabs; the header's three cases; Esc swallowed, Enter closing it with the
# program running on; its WM_CLOSE showing the strip again, except while the acceleration-state pop-up
# is open or the strip's setting keeps it hidden.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
harness=$1
. "$here/harness-lib.sh"

echo "display $DISPLAY, harness $harness"

main_field() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<"$2"; }
wait_main() { wait_report "$1" main; }
wait_no_main() { wait_report '^main none$' main >/dev/null; }
# Clicks the strip's status button. The pointer comes from elsewhere: a window that appeared under a
# still pointer may not know yet that the pointer is over it.
click_status_button() {
    xdotool mousemove "$((x - 60))" "$((y + 120))"
    sleep 0.3
    xdotool mousemove "$((x + 148 + 8))" "$((y + 3 + 9))"
    sleep 0.3
    xdotool click 1
}

write_settings 1 "-1, -1" 1
start_harness
report=$(wait_report 'visible=1')
x=$(field x "$report")
y=$(field y "$report")
ask fill >/dev/null

answer=$(ask comctl)
grep -q 'common-controls_6595b64144ccf1df_6\.' <<<"$answer" || fail "list views are not from comctl32 6: $answer"
pass "list views come from the common controls 6 assembly"

# --- The strip's menu "查看流量详情" opens the main window, modeless.
choose 32795 >/dev/null
main=$(wait_main 'count=1 visible=1')
[ "$(main_field w "$main")" = 554 ] && [ "$(main_field h "$main")" = 567 ] || fail "size: $main"
[ "$(main_field page "$main")" = 0 ] || fail "first page: $main"
main=$(wait_main 'description=尚未开启网游加速 left=本机上传：[0-9.]+[kmg]?bps right=本机下载：[0-9.]+[kmg]?bps$')
layout=$(ask layout)
for expected in 1080=22,27,30,32 1092=64,27,400,16 1094=64,47,180,16 1093=254,47,180,16 1089=42,73,85,28 \
    1003=127,73,85,28 1095=10,101,522,375 page=11,102,520,373; do
    grep -q " $expected\b" <<<"$layout" || fail "layout: $expected not in $layout"
done
client=$(main_field client "$layout")
cx=${client%,*}
cy=${client#*,}
shot main-not-accelerating.png
pass "menu: 554x567, page 0, layout as the table, $(main_field description "$main")"

choose 32795 >/dev/null
sleep 0.5
[ "$(main_field count "$(ask main)")" = 1 ] || fail "a second window from the menu: $(ask main)"
ask main-modal >/dev/null
sleep 0.5
[ "$(main_field count "$(ask main)")" = 1 ] || fail "a second window from the plugin's request: $(ask main)"
pass "a second request from the menu or the plugin raises the same window"

# --- Tabs.
xdotool mousemove "$((cx + 127 + 42))" "$((cy + 73 + 14))" click 1
wait_main 'page=1' >/dev/null
shot main-alarm-page.png
xdotool mousemove "$((cx + 42 + 42))" "$((cy + 73 + 14))" click 1
wait_main 'page=0' >/dev/null
pass "the tabs switch the pages"

# --- The header's three cases.
ask "state 1 1" >/dev/null
wait_main 'description=检测到异常流量，游戏前请关闭相关进程 left=网游：[0-9.]+[kmg]?bps right=其他：[0-9.]+[kmg]?bps$' >/dev/null
# Traffic through the tunnel shows as a rate in the next second.
ask "accel 50000 80000" >/dev/null
main=$(wait_main 'description=检测到异常流量，游戏前请关闭相关进程 left=网游：[1-9][0-9.]*[kmg]?bps right=')
shot main-abnormal.png
pass "abnormal: $(main_field left "$main") $(main_field right "$main")"
ask "state 2 0" >/dev/null
main=$(wait_main 'description=流量监控已开启，尚未检测到异常流量 left=网游：[0-9.]+[kmg]?b right=其他：[0-9.]+[kmg]?b$')
[ "$(main_field left "$main")" = "网游：1.04mb" ] || fail "the tunnel's 130000 bytes: $main"
[ "$(main_field right "$main")" != "其他：0b" ] || fail "no other traffic counted: $main"
shot main-monitoring.png
pass "monitoring: $(main_field left "$main") $(main_field right "$main")"
ask "state 0 0" >/dev/null
wait_main 'description=尚未开启网游加速' >/dev/null

# --- Esc is swallowed; Enter closes; the program runs on.
ask "main-key escape" >/dev/null
sleep 0.5
[ "$(main_field visible "$(ask main)")" = 1 ] || fail "Esc closed the main window"
ask "main-key return" >/dev/null
wait_no_main
wait_report 'visible=1' >/dev/null
pass "Esc swallowed, Enter closes the modeless window; the strip runs on"

# --- The status button while not accelerating: the strip hides, the main window opens; its WM_CLOSE
# brings the strip back.
click_status_button
wait_main 'count=1 visible=1' >/dev/null
wait_report 'visible=0' >/dev/null
shot main-status-button.png
ask main-close >/dev/null
wait_no_main
wait_report 'visible=1' >/dev/null
pass "status button: the strip hides, the main window opens; WM_CLOSE shows the strip again"

# ... but not while the acceleration-state pop-up is open.
click_status_button
wait_main 'count=1 visible=1' >/dev/null
ask "accstate open" >/dev/null
ask main-close >/dev/null
wait_no_main
sleep 0.5
[ "$(field visible "$(ask report)")" = 0 ] || fail "the strip came back over the acceleration-state pop-up"
ask "accstate close" >/dev/null
ask show >/dev/null
wait_report 'visible=1' >/dev/null
pass "WM_CLOSE leaves the strip hidden while the acceleration-state pop-up is open"

# --- The plugin's request: a modal window; Enter closes it and the program runs on. With the strip's
# setting at hidden, WM_CLOSE leaves it hidden.
ask main-modal >/dev/null
wait_main 'count=1 visible=1' >/dev/null
shot main-modal.png
ask "main-key escape" >/dev/null
sleep 0.5
[ "$(main_field visible "$(ask main)")" = 1 ] || fail "Esc closed the modal main window"
ask "main-key return" >/dev/null
wait_no_main
wait_report 'visible=1' >/dev/null
pass "plugin's request: modal window, Esc swallowed, Enter closes, the strip runs on"

choose 32796 >/dev/null
wait_report 'visible=0' >/dev/null
ask main-modal >/dev/null
wait_main 'count=1 visible=1' >/dev/null
ask main-close >/dev/null
wait_no_main
sleep 0.5
[ "$(field visible "$(ask report)")" = 0 ] || fail "WM_CLOSE showed the strip although SHOW=0"
pass "with SHOW=0 the main window's WM_CLOSE leaves the strip hidden"

# --- The About box: opened, shown, closed by Enter.
ask about >/dev/null
about=""
for _ in $(seq 50); do
    about=$(xdotool search --onlyvisible --name '^关于进程流量监控$' 2>/dev/null | head -1 || true)
    [ -n "$about" ] && break
    sleep 0.1
done
[ -n "$about" ] || fail "the About box did not open"
shot about-box.png
xdotool windowfocus --sync "$about" key Return
for _ in $(seq 50); do
    xdotool search --onlyvisible --name '^关于进程流量监控$' >/dev/null 2>&1 || break
    sleep 0.1
done
xdotool search --onlyvisible --name '^关于进程流量监控$' >/dev/null 2>&1 && fail "Enter did not close the About box"
pass "the About box opens and Enter closes it"

ask close >/dev/null
wait_end "after WM_CLOSE of the strip"
pass "the harness ends with exit code 0"
echo "screenshots in $shots"
