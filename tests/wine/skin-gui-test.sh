#!/usr/bin/env bash
# The skin: the skinned message box (its buttons' texts, size and centred row; Enter answers the default
# button, Esc is ignored without a cancel button, a click answers its button), also without the skin
# library; and the program's end (exit code 1, after the error box) when its skin is incomplete.
# (The skinned frame's caption buttons are clicked on the main window.)
#
# usage: skin-gui-test.sh HARNESS.exe   (run by ctest inside the Wine fixture)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
harness=$1
. "$here/harness-lib.sh"

# A message box: name, STYLE, text, the buttons left to right as ID:TEXT, the action ("enter" or
# "click ID"), the expected result (the exit code), and the client width if it is checked.
message_box_case() {
    local name=$1 action=$5 box buttons="" row x y w h cx first="" right=0
    start_harness msgbox "$2" "$3" "kvt-$name 提示"
    box=$(wait_dialog msgbox)
    row=$(tr '\t' '\n' <<<"$box" | sed -n 's/^box \([0-9]\)=\([0-9]*\),/\2 \1 /p' | sort -n)
    while read -r x id _; do
        buttons+="${buttons:+ }$id:$(cell "$id" "$box")"
        IFS=, read -r x y w h <<<"$(cell "box $id" "$box")"
        [ "$w,$h" = 70,27 ] || fail "$name: button $id is ${w}x$h"
        first=${first:-$x}
        right=$((x + w))
    done <<<"$row"
    [ "$buttons" = "$4" ] || fail "$name: buttons '$buttons', expected '$4'"
    IFS=, read -r x _ w _ <<<"$(cut -f1 <<<"${box#dialog }")"
    cx=$(cell client "$box" | cut -d, -f1)
    w=$((w - 2 * (cx - x)))
    [ $((first - (w - right))) -ge -1 ] && [ $((first - (w - right))) -le 1 ] || fail "$name: row not centred in $w"
    [ -z "${7:-}" ] || [ "$w" = "$7" ] || fail "$name: client width $w, expected $7"
    shot "$name.png"
    if [ "$action" = enter ]; then
        key "$(window "kvt-$name 提示")" Return
    else
        key "$(window "kvt-$name 提示")" Escape
        never "$name: Esc answered a box without a cancel button" eval "! kill -0 $pid 2>/dev/null"
        # Over the button first: the hover face is drawn after 64 ms.
        xdotool mousemove $(at "$box" "${action#click }") sleep 0.3
        shot "$name-hover.png"
        xdotool click 1
    fi
    wait_exit "$name" "$6"
    pass "$name: $buttons, result $6"
}

message_box_case ok 0 "流量监控已开启。" "1:确定" enter 1
# MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2: Enter answers the default button 否(&N).
message_box_case yesnocancel 0x123 "您确定要关闭GameClient.exe进程吗？" "6:是(&Y) 7:否(&N) 2:取消" enter 7
message_box_case yesno-click 0x134 "检测到异常流量，游戏前请关闭相关进程" "6:是(&Y) 7:否(&N)" "click 6" 6
# A long text wraps at 240 pixels beside the information icon; the help button is appended.
message_box_case long 0x4040 "尊敬的用户，已检测到下列可能会占用高带宽的进程，建议您在游戏前关闭这些进程。然后再开始游戏。" \
    "1:确定 9:帮助" "click 1" 1 $((32 + 16 + 240 + 40))

# Without the skin library the box still works, its buttons flat.
mkdir -p "$work/nolib"
cp "$harness" "$work/nolib/"
harness="$work/nolib/$(basename "$harness")"
message_box_case nolib 0x24 "没有 modulesres.dll 也能显示。" "6:是(&Y) 7:否(&N)" enter 6

# The program's end when its skin is incomplete: the error box, then exit code 1.
(cd "$work/nolib" && exec wine "./$(basename "$harness")" missing-skin >"$work/out" 2>&1 </dev/null) &
pid=$!
error=$(window 错误)
sleep 0.3 # its first paint
shot missing-skin.png
key "$error" Return
wait_exit "missing skin" 1
pass "incomplete skin: error box, exit code 1"
