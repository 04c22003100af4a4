#!/usr/bin/env bash
# The skin: the skinned message box for the three button sets, answered by Enter (the default button)
# and by a click on a button; the skinned frame's caption buttons; the message box without the skin
# library; and the monitor's end (exit code 1, after the error box) when a frame bitmap is missing.
#
# usage: skin-gui-test.sh HARNESS.exe KVTMON.exe   (run by ctest inside the Wine fixture)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
harness=$1
monitor=$2
. "$here/harness-lib.sh"

# A message box: name, STYLE, text, the expected button ids left to right, the action ("enter" or
# "click ID"), the expected result (the exit code).
message_box_case() {
    local name=$1 action=$5 box ids
    start_harness msgbox "$2" "$3" "kvt-$name 提示"
    box=$(wait_for "dialog msgbox" '^dialog [0-9]')
    ids=$(tr '\t' '\n' <<<"$box" | sed -n 's/^box \([0-9]\)=\([0-9]*\),.*/\2 \1/p' | sort -n | cut -d' ' -f2 | xargs)
    [ "$ids" = "$4" ] || fail "$name: buttons '$ids', expected '$4'"
    shot "$name.png"
    if [ "$action" = enter ]; then
        key "$(window "kvt-$name 提示")" Return
    else
        # Over the button first: the hover face is drawn after 64 ms.
        xdotool mousemove $(at "$box" "${action#click }") sleep 0.3
        shot "$name-hover.png"
        xdotool click 1
    fi
    wait_exit "$name" "$6"
    pass "$name: buttons $ids, result $6"
}

# MB_OK: one button, Enter answers IDOK.
message_box_case ok 0 "流量监控已开启。" "1" enter 1
# MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2: Enter answers the default button "否(&N)".
message_box_case yesnocancel 0x123 "您确定要关闭GameClient.exe进程吗？" "6 7 2" enter 7
message_box_case yesnocancel-click 0x123 "您确定要关闭GameClient.exe进程吗？" "6 7 2" "click 2" 2
# MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2, then a click on "是(&Y)".
message_box_case yesno 0x134 "检测到异常流量，游戏前请关闭相关进程" "6 7" enter 7
message_box_case yesno-click 0x134 "检测到异常流量，游戏前请关闭相关进程" "6 7" "click 6" 6
# A long text wraps at 240 pixels; information icon; the help button is appended.
message_box_case long 0x4040 "尊敬的用户，已检测到下列可能会占用高带宽的进程，建议您在游戏前关闭这些进程。然后再开始游戏。" "1 9" "click 1" 1

# The frame: every caption button, the settings label, a skinned button, a link. Caption buttons from
# the right edge: close 19 wide at 6 from the edge, then maximise, minimise.
start_harness frame "kvt-frame 网络监控"
frame=$(window "kvt-frame 网络监控")
geometry() { eval "$(xdotool getwindowgeometry --shell "$frame")"; }
width_is() { geometry && [ "$WIDTH" "$1" "$2" ]; }
geometry
before_width=$WIDTH
close_button="$((X + WIDTH - 6 - 10)) $((Y + 7 + 9))"
maximise_button="$((X + WIDTH - 6 - 19 - 4 - 10)) $((Y + 7 + 9))"
xdotool mousemove $close_button sleep 0.3
shot frame-close-hover.png
click "$maximise_button"
until_ok "frame: maximise left the width at $before_width" width_is -gt "$before_width"
shot frame-maximized.png
geometry
click "$((X + WIDTH - 6 - 19 - 4 - 10)) $((Y + 7 + 9))"
until_ok "frame: restore did not give width $before_width" width_is = "$before_width"
# Press on close, release on the caption: nothing happens (the release decides; the click below shows
# that a close is seen).
xdotool mousemove $close_button mousedown 1 mousemove $((X + 60)) $((Y + 100)) mouseup 1
never "frame: a press on close released elsewhere closed the dialog" eval "! kill -0 $pid 2>/dev/null"
shot frame.png
click "$close_button"
wait_exit "frame: the close button" 2
pass "frame: maximise, restore and close work"

# Without the skin library the box still works, its buttons flat.
mkdir -p "$work/nolib"
cp "$harness" "$work/nolib/"
harness="$work/nolib/$(basename "$harness")"
message_box_case nolib 0x24 "没有 modulesres.dll 也能显示。" "6 7" enter 6

# A frame bitmap missing from the program: the error box, then exit code 1.
mkdir -p "$work/nobitmap"
cp "$monitor" "$work/nobitmap/kvtmon.exe"
python3 "$here/renumber_resource.py" "$work/nobitmap/kvtmon.exe" 240 241
(cd "$work/nobitmap" && exec flock -o -w 60 /tmp/kvt-monitor.lock wine ./kvtmon.exe 'GameClient.exe \\.\pipe\kvt-skin-test' \
    >"$work/out" 2>&1 </dev/null) &
pid=$!
# The monitor may wait for another test's monitor first.
error=$(window 错误 70)
sleep 0.3 # its first paint
shot missing-bitmap.png
key "$error" Return
wait_exit "missing bitmap" 1
pass "missing bitmap: error box, exit code 1"
