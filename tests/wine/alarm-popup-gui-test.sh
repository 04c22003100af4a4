#!/usr/bin/env bash
# The alarm's pop-ups, with a black-listed process running: the harness raises alarms as the alarm
# thread does and asks for the high-bandwidth pop-up as the plugin does. The pop-ups look for the mouse
# every 1.5 s here (20 s and 8 s in the program). Checked: the acceleration-state pop-up at the bottom
# right with the alarm's processes, the strip hidden while it is up and back after; it stays while the
# mouse rests on it and closes once the mouse has left; "忽略" marks the history and sends the
# accelerator its notice (kind 101, GBK "title;body" and a zero); "不再报警" writes ALARM=0; the status
# button opens it while accelerating; the high-bandwidth pop-up lists the black-listed process, closes
# once the mouse has left, and goes with the program.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
harness=$1
. "$here/harness-lib.sh"
read -r screen_width screen_height <<<"$(screen_size)"
popup="dialog Zelvan 加速状态"
gbk_hex() { printf '%s' "$1" | iconv -f UTF-8 -t GBK | od -An -tx1 | tr -d ' \n'; }
closes_when_left() {
    xdotool mousemove 5 5
    wait_for "$popup" '^dialog none' >/dev/null
    wait_for report 'visible=1' >/dev/null
}

start_strip --blacklisted
ask "leave-period 1500" >/dev/null
ask "state 1 1" >/dev/null
xdotool mousemove 5 5

# --- The first alarm: the pop-up at the bottom right, the strip out of its way.
ask alarm >/dev/null
dialog=$(wait_dialog "Zelvan 加速状态")
IFS=, read -r px py pw ph <<<"$(cut -f1 <<<"${dialog#dialog }")"
# The mouse rests on it from here on, before its first look.
xdotool mousemove "$((px + pw / 2))" "$((py + 40))"
[ "$((px + pw))" -eq "$((screen_width - 1))" ] && [ "$pw" -eq 320 ] || fail "pop-up not at the right edge: $dialog"
[ "$((py + ph))" -ge "$((screen_height - 60))" ] && [ "$((py + ph))" -le "$screen_height" ] ||
    fail "pop-up not at the bottom: $dialog"
wait_for report 'visible=0' >/dev/null
# Newest first: the alarm lists Chat.exe, then Browser.exe.
for expected in $'\tlist 1096=2\tBrowser.exe|下载流量过高\tChat.exe|下载流量过高' \
    $'\t1085=当前有2个进程可能会影响您网游加速效果，建议关闭下列进程' $'\t1084=网游加速：已加速' $'\t1083=异常流量：'; do
    grep -q "$expected" <<<"$dialog" || fail "${expected:1} not in $(flat "$dialog")"
done
sleep 1 # its first paint
shot accstate-popup.png
pass "alarm pop-up at $px,$py ${pw}x$ph with Chat.exe and Browser.exe; the strip hidden"

# It stays under the mouse over several looks; once the mouse leaves, it goes and the strip comes back.
never "the pop-up closed under the mouse" eval '[ "$(ask "$popup")" = "dialog none" ]'
closes_when_left
has_setting ALARM 1 || fail "ALARM after closing: $(setting ALARM)"
wait_for report 'image=alert' >/dev/null
pass "stays under the mouse, closes after it left; the strip is back and still blinks (rows unhandled)"

# --- "忽略": every row's history entries ignored, the notice sent, the pop-up closed.
ask alarm >/dev/null
click "$(at "$(wait_for "$popup" '^dialog [0-9]')" 1087 8)"
wait_for "$popup" '^dialog none' >/dev/null
wait_event "copydata kind=101 bytes=$(gbk_hex '报警提示;已忽略2个进程报警')00\$"
history=$(ask history)
[ "$history" = "history 4 Chat.exe:4 Browser.exe:4 Chat.exe:4 Browser.exe:4" ] || fail "after 忽略: $history"
wait_for report 'visible=1' >/dev/null
wait_for report 'image=normal' >/dev/null
pass "忽略: $history, the notice sent, indicator off"

# --- "不再报警": ticked, then the pop-up left alone: ALARM=0 is written.
ask alarm >/dev/null
click "$(at "$(wait_for "$popup" '^dialog [0-9]')" 1100)"
wait_for "$popup" $'\tchecked 1100' >/dev/null
closes_when_left
has_setting ALARM 0 || fail "ALARM after 不再报警: $(setting ALARM)"
pass "不再报警 writes ALARM=0 on closing"

# --- The status button while accelerating opens the pop-up over the strip.
ask "state 1 0" >/dev/null
strip_shown
xdotool mousemove "$((x + 156))" "$((y + 12))" sleep 0.3 click 1
dialog=$(wait_for "$popup" '^dialog [0-9]')
wait_for report 'visible=0' >/dev/null
closes_when_left
pass "status button: pop-up at $(cut -f1 <<<"${dialog#dialog }"), closed after the mouse left"

# --- The high-bandwidth pop-up on the plugin's request.
ask blacklist >/dev/null
wait_for "count 高带宽进程检测" '^count 1$' >/dev/null
dialog=$(ask "dialog 高带宽进程检测")
grep -q $'\tlist 1004=1\tThunder.exe|500' <<<"$dialog" || fail "high-bandwidth rows: $dialog"
grep -q $'\t1065=尊敬的用户' <<<"$dialog" || fail "high-bandwidth text: $dialog"
IFS=, read -r bx _ bw _ <<<"$(cut -f1 <<<"${dialog#dialog }")"
[ "$((bx + bw))" -eq "$((screen_width - 1))" ] || fail "high-bandwidth pop-up not at the right edge: $dialog"
sleep 0.5 # its first paint
shot blacklist-popup.png
wait_for "count 高带宽进程检测" '^count 0$' >/dev/null
pass "high-bandwidth pop-up lists Thunder.exe (500) at the right edge and closes once left alone"

# Open again, then the program's exit closes it with everything else.
ask blacklist >/dev/null
wait_for "count 高带宽进程检测" '^count 1$' >/dev/null
ask exit >/dev/null
wait_end "exit with the high-bandwidth pop-up open"
pass "the exit request ends the program with the high-bandwidth pop-up open"
