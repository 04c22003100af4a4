#!/usr/bin/env bash
# The skin under Wine and Xvfb: the skinned message box for the three button sets, answered by Enter
# (the default button) and by a click on a button; the skinned frame's caption buttons; the message
# box without the skin library; and the program's end (exit code 1, after the error box) when a frame
# bitmap is missing. Screenshots go to build/win64/wine-shots/.
#
# usage: skin-gui-test.sh HARNESS.exe KVTMON.exe   (run by ctest inside the Wine fixture)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
harness=$1
monitor=$2
. "$here/wine-env.sh"
: "${KVT_BUILD_DIR:?}"
shots="$KVT_BUILD_DIR/wine-shots"
mkdir -p "$shots"
work=$(mktemp -d)
pids=()
cleanup() {
    local p
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Waits until FILE has a line matching PATTERN (at most SECONDS).
wait_for_line() {
    local file=$1 pattern=$2 seconds=$3 i
    for ((i = 0; i < seconds * 20; i++)); do
        grep -q -- "$pattern" "$file" 2>/dev/null && return 0
        sleep 0.05
    done
    return 1
}

shot() {
    import -display "$DISPLAY" -window root "$shots/$1.png"
}

# Starts the harness in the background: the output goes to $work/NAME.out, the pid to $started.
start_harness() {
    local name=$1
    shift
    wine "$harness" "$@" >"$work/$name.out" 2>"$work/$name.err" </dev/null &
    started=$!
    pids+=("$started")
}

# Sets $code to the exit code of a background run, or "timeout" after 10 s.
finish() {
    local pid=$1 i
    for ((i = 0; i < 200; i++)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        code=timeout
        return 0
    fi
    code=0
    wait "$pid" || code=$?
}

# The harness's printed lines without Windows line ends.
output_of() {
    tr -d '\r' <"$work/$1.out"
}

# The first visible window whose title matches; empty when there is none (yet).
window_of() {
    { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; } | head -1
}

# A message box: STYLE, caption tag, the expected button ids (left to right), the action ("enter" or
# "click ID"), the expected result.
message_box_case() {
    local name=$1 style=$2 text=$3 expected_ids=$4 action=$5 expected=$6
    local caption="kvt-$name 提示"
    start_harness "$name" msgbox "$style" "$text" "$caption"
    local pid=$started
    if ! wait_for_line "$work/$name.out" '^ready' 10; then
        fail "$name: no message box ($(cat "$work/$name.out" "$work/$name.err" | tail -3))"
        kill "$pid" 2>/dev/null || true
        return
    fi
    # The buttons left to right, by their x.
    local ids
    ids=$(output_of "$name" | grep '^button ' | sort -k3 -n | awk '{print $2}' | xargs)
    [ "$ids" = "$expected_ids" ] || fail "$name: buttons '$ids', expected '$expected_ids'"
    shot "$name"
    local window
    window=$(window_of "^kvt-$name ")
    case "$action" in
        enter)
            if [ -z "$window" ]; then
                fail "$name: window not found by its caption"
            else
                xdotool windowfocus --sync "$window" key Return
            fi
            ;;
        click*)
            local id=${action#click } x y
            read -r x y < <(output_of "$name" | awk -v id="$id" '$1 == "button" && $2 == id {print $3, $4}')
            # Over the button first: the hover face is drawn after 64 ms.
            xdotool mousemove "$x" "$y"
            sleep 0.3
            shot "$name-hover"
            xdotool click 1
            ;;
    esac
    finish "$pid"
    [ "$code" = "$expected" ] || fail "$name: exit code $code, expected $expected"
    output_of "$name" | grep -qx "result=$expected" || fail "$name: printed $(output_of "$name" | grep result || echo nothing)"
    echo "$name: buttons $ids, result $code"
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

# The frame: every caption button, the settings label, a skinned button, a link. Maximise, restore,
# then the close button, which ends the dialog with IDCANCEL.
start_harness frame frame "kvt-frame 网络监控"
pid=$started
if wait_for_line "$work/frame.out" '^ready' 10; then
    window=$(window_of '^kvt-frame ')
    eval "$(xdotool getwindowgeometry --shell "$window")"
    before_width=$WIDTH
    # Caption buttons from the right edge: close 19 wide at 6 from the edge, then maximise, minimise.
    xdotool mousemove $((X + WIDTH - 6 - 10)) $((Y + 7 + 9))
    sleep 0.3
    shot frame-close-hover
    xdotool mousemove $((X + WIDTH - 6 - 19 - 4 - 10)) $((Y + 7 + 9)) click 1
    sleep 0.5
    eval "$(xdotool getwindowgeometry --shell "$window")"
    [ "$WIDTH" -gt "$before_width" ] || fail "frame: maximise left the width at $WIDTH"
    shot frame-maximized
    xdotool mousemove $((X + WIDTH - 6 - 19 - 4 - 10)) $((Y + 7 + 9)) click 1
    sleep 0.5
    eval "$(xdotool getwindowgeometry --shell "$window")"
    [ "$WIDTH" = "$before_width" ] || fail "frame: restore gave width $WIDTH, expected $before_width"
    # Press on close, release on the caption: nothing happens (the release decides).
    xdotool mousemove $((X + WIDTH - 6 - 10)) $((Y + 7 + 9)) mousedown 1 mousemove $((X + 60)) $((Y + 100)) mouseup 1
    sleep 0.3
    kill -0 "$pid" 2>/dev/null || fail "frame: a press on close released elsewhere closed the dialog"
    shot frame
    xdotool mousemove $((X + WIDTH - 6 - 10)) $((Y + 7 + 9)) click 1
    finish "$pid"
    [ "$code" = 2 ] || fail "frame: close button gave exit code $code, expected 2"
    echo "frame: maximise, restore and close work"
else
    fail "frame: no dialog ($(tail -3 "$work/frame.err"))"
fi

# Without the skin library the box still works, its buttons flat.
mkdir -p "$work/nolib"
cp "$harness" "$work/nolib/"
harness_saved=$harness
harness="$work/nolib/$(basename "$harness_saved")"
message_box_case nolib 0x24 "没有 modulesres.dll 也能显示。" "6 7" enter 6
harness=$harness_saved

# A frame bitmap missing from the program: the error box, then exit code 1.
mkdir -p "$work/nobitmap"
cp "$monitor" "$work/nobitmap/kvtmon.exe"
python3 "$here/renumber_resource.py" "$work/nobitmap/kvtmon.exe" 240 241
(cd "$work/nobitmap" && flock -o -w 60 /tmp/kvt-monitor.lock wine ./kvtmon.exe 'GameClient.exe \\.\pipe\kvt-skin-test' \
    >"$work/nobitmap.out" 2>&1 </dev/null) &
pid=$!
pids+=("$pid")
window=""
for ((i = 0; i < 200; i++)); do
    window=$(window_of '^错误$')
    [ -n "$window" ] && break
    sleep 0.05
done
if [ -n "$window" ]; then
    sleep 0.3
    shot missing-bitmap
    xdotool windowfocus --sync "$window" key Return
    finish "$pid"
    [ "$code" = 1 ] || fail "missing bitmap: exit code $code, expected 1"
    echo "missing bitmap: error box, exit code $code"
else
    fail "missing bitmap: no error box"
    kill "$pid" 2>/dev/null || true
fi

echo "screenshots in $shots"
[ "$failures" = 0 ]
