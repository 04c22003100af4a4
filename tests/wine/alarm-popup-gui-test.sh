#!/usr/bin/env bash
# The alarm's pop-ups under Wine and Xvfb: the floating window's harness, with a black-listed process
# running, raises alarms as the alarm thread does and asks for the high-bandwidth pop-up as the plugin
# does; xdotool moves the mouse and clicks. The pop-ups look for the mouse every 1.5 s here (20 s and 8 s
# in the program). Screenshots go to wine-shots/ of the build tree.
#
# Checked: the acceleration-state pop-up at the bottom right with the alarm's processes, the strip
# hidden while it is up and back after; it stays while the mouse rests on it and closes once the mouse
# has left; "忽略" marks the history and sends the accelerator its notice (kind 101, GBK "title;body"
# and a zero); "不再报警" writes ALARM=0; the status button opens it while accelerating; the
# high-bandwidth pop-up lists the black-listed process, closes once the mouse has left, and goes with
# the program.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
harness=$1
. "$here/harness-lib.sh"

write_settings 1 "-1, -1" 1
harness_args=--blacklisted
start_harness
report=$(wait_report 'visible=1')
x=$(field x "$report")
y=$(field y "$report")
ask "leave-period 1500" >/dev/null
ask "state 1 1" >/dev/null
xdotool mousemove 5 5

popup_ctl() { ask "accstate-ctl $1" | cut -d' ' -f2-; }
gbk_hex() { printf '%s' "$1" | iconv -f UTF-8 -t GBK | od -An -tx1 | tr -d ' \n'; echo 00; }

# --- The first alarm: the pop-up at the bottom right, the strip out of its way.
ask alarm >/dev/null
popup=$(wait_report 'visible=1' accstate-popup)
px=$(field x "$popup")
py=$(field y "$popup")
pw=$(field w "$popup")
ph=$(field h "$popup")
# The mouse rests on it from here on, before its first look.
xdotool mousemove "$((px + pw / 2))" "$((py + 40))"
screen_width=$(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x.*/\1/p')
screen_height=$(xdpyinfo | sed -n 's/.*dimensions: *[0-9]*x\([0-9]*\).*/\1/p')
[ "$((px + pw))" -eq "$((screen_width - 1))" ] && [ "$pw" -eq 320 ] || fail "pop-up not at the right edge: $popup"
[ "$((py + ph))" -ge "$((screen_height - 60))" ] && [ "$((py + ph))" -le "$screen_height" ] ||
    fail "pop-up not at the bottom: $popup"
wait_report 'visible=0' >/dev/null
dialog=$(ask "dialog Zelvan 加速状态")
# Newest first: the alarm lists Chat.exe, then Browser.exe.
grep -q $'\tlist 1096=2\tBrowser.exe|下载流量过高\tChat.exe|下载流量过高' <<<"$dialog" || fail "rows: $dialog"
grep -q $'\t1085=当前有2个进程可能会影响您网游加速效果，建议关闭下列进程' <<<"$dialog" || fail "description: $dialog"
grep -q $'\t1084=网游加速：已加速' <<<"$dialog" || fail "state line: $dialog"
grep -q $'\t1083=异常流量：' <<<"$dialog" || fail "usage line: $dialog"
sleep 1.2
shot accstate-popup.png
pass "alarm pop-up at $px,$py ${pw}x$ph with Chat.exe and Browser.exe; the strip hidden"

# The mouse rests on it: it stays over several looks; once the mouse leaves, it goes and the strip
# comes back.
sleep 3.5
[ "$(field visible "$(ask accstate-popup)")" = 1 ] || fail "the pop-up closed under the mouse"
xdotool mousemove 5 5
wait_report '^popup none' accstate-popup >/dev/null
wait_report 'visible=1' >/dev/null
[ "$(setting ALARM)" = 1 ] || fail "ALARM after closing: $(setting ALARM)"
wait_report 'image=alert' >/dev/null
pass "stays under the mouse, closes after it left; the strip is back and still blinks (rows unhandled)"

# --- "忽略": every row's history entries ignored, the notice sent, the pop-up closed.
ask alarm >/dev/null
wait_report 'visible=1' accstate-popup >/dev/null
# shellcheck disable=SC2046
xdotool mousemove $(popup_ctl 1087) click 1
wait_report '^popup none' accstate-popup >/dev/null
wait_event copydata
notice=$(grep -a '^event copydata' "$work/out" | tr -d '\r' | tail -1)
[ "$notice" = "event copydata kind=101 bytes=$(gbk_hex '报警提示;已忽略2个进程报警')" ] || fail "notice: $notice"
history=$(ask history)
[ "$history" = "history 4 Chat.exe:4 Browser.exe:4 Chat.exe:4 Browser.exe:4" ] || fail "after 忽略: $history"
wait_report 'visible=1' >/dev/null
wait_report 'image=normal' >/dev/null
pass "忽略: $history, notice of $(($(wc -c <<<"${notice#*bytes=}") / 2)) bytes, indicator off"

# --- "不再报警": ticked, then the pop-up left alone: ALARM=0 is written.
ask alarm >/dev/null
wait_report 'visible=1' accstate-popup >/dev/null
# shellcheck disable=SC2046
xdotool mousemove $(popup_ctl 1100) click 1
sleep 0.3
xdotool mousemove 5 5
wait_report '^popup none' accstate-popup >/dev/null
[ "$(setting ALARM)" = 0 ] || fail "ALARM after 不再报警: $(setting ALARM)"
pass "不再报警 writes ALARM=0 on closing"

# --- The status button while accelerating opens the pop-up over the strip.
ask "state 1 0" >/dev/null
report=$(wait_report 'visible=1')
x=$(field x "$report")
y=$(field y "$report")
xdotool mousemove "$((x + 156))" "$((y + 12))"
sleep 0.3
xdotool click 1
popup=$(wait_report 'visible=1' accstate-popup)
wait_report 'visible=0' >/dev/null
xdotool mousemove 5 5
wait_report '^popup none' accstate-popup >/dev/null
wait_report 'visible=1' >/dev/null
pass "status button: pop-up at $(field x "$popup"),$(field y "$popup"), closed after the mouse left"

# --- The high-bandwidth pop-up on the plugin's request.
ask blacklist >/dev/null
wait_report 'blacklist-open 1' blacklist-open >/dev/null
dialog=$(ask "dialog 高带宽进程检测")
grep -q $'\tlist 1004=1\tThunder.exe|500' <<<"$dialog" || fail "high-bandwidth rows: $dialog"
grep -q $'\t1065=尊敬的用户' <<<"$dialog" || fail "high-bandwidth text: $dialog"
bx=$(cut -f1 <<<"$dialog" | sed 's/dialog //' | cut -d, -f1)
bw=$(cut -f1 <<<"$dialog" | cut -d, -f3)
[ "$((bx + bw))" -eq "$((screen_width - 1))" ] || fail "high-bandwidth pop-up not at the right edge: $dialog"
sleep 0.5
shot blacklist-popup.png
wait_report 'blacklist-open 0' blacklist-open >/dev/null
pass "high-bandwidth pop-up lists Thunder.exe (500) at the right edge and closes once left alone"

# Open again, then the program's exit closes it with everything else.
ask blacklist >/dev/null
wait_report 'blacklist-open 1' blacklist-open >/dev/null
ask exit >/dev/null
wait_end "exit with the high-bandwidth pop-up open"
pass "the exit request ends the program with the high-bandwidth pop-up open"
