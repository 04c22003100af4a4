# Sourced by the GUI tests (see kvt_gui_harness_win.cpp for its commands): the harness's start in its own
# directory, commands on its standard input and their answers, polls for awaited states, xdotool steps,
# screenshots into wine-shots/ of the build tree. The caller sets `here` and `harness` and runs with
# set -euo pipefail.
. "$here/wine-env.sh"
shots="${KVT_BUILD_DIR:?}/wine-shots"
work=$(mktemp -d)
settings="$(dirname "$harness")/tmp/kestrivonsetting.txt"
mkdir -p "$shots" "$(dirname "$settings")"
pid=""
events=0 # the output line of the last event awaited

# A script may name a function in `on_cleanup` that runs at the end, before the work folder goes.
cleanup() {
    exec 3>&- 2>/dev/null || true
    [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    [ -z "${on_cleanup:-}" ] || "$on_cleanup"
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/out" ] && { echo "--- harness output" >&2; cat "$work/out" >&2; }
    exit 1
}
pass() { echo "ok: $*"; }

# Runs the command up to $1 times, $2 seconds apart, until it succeeds.
poll() {
    local tries=$1 pause=$2
    shift 2
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep "$pause"
    done
    return 1
}
# Waits up to 5 s for the command to succeed, else fails with $1.
until_ok() {
    local what=$1
    shift
    poll 50 0.1 "$@" || fail "$what"
}

# The settings file in the ANSI form the program writes itself.
write_settings() {
    printf '[SUSPENSION]\r\nSHOW=%s\r\nLOCATION=%s\r\n[ALARM]\r\nALARM=%s\r\n' "$1" "$2" "$3" >"$settings"
}
setting() { grep -a "^$1=" "$settings" | head -1 | cut -d= -f2- | tr -d '\r'; }
has_setting() { [ "$(setting "$1")" = "$2" ]; }

# Starts the harness with the arguments given, in its own directory, and waits for its "ready".
start_harness() {
    for attempt in 1 2; do
        rm -f "$work/in"
        mkfifo "$work/in"
        : >"$work/out"
        events=0
        (cd "$(dirname "$harness")" && exec wine "./$(basename "$harness")" "$@" <"$work/in" >"$work/out" 2>"$work/err") &
        pid=$!
        exec 3>"$work/in"
        poll 150 0.1 eval "grep -q '^ready' '$work/out' || ! kill -0 $pid 2>/dev/null"
        grep -q '^ready' "$work/out" && return 0
        # The desktop process sometimes times out on a first start: one retry.
        exec 3>&-
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        echo "harness start $attempt failed, retrying" >&2
    done
    fail "the harness did not start: $(tail -5 "$work/err" 2>/dev/null)"
}

# The program with the strip shown at its default place and alarms on; the strip's answer as strip_shown.
start_strip() {
    write_settings 1 "-1, -1" 1
    start_harness "$@"
    strip_shown
}

# Sends one command and prints its answer (standard output is in text mode: lines end in CR LF).
ask() {
    local before answer
    before=$(wc -l <"$work/out")
    echo "$*" >&3
    for _ in $(seq 100); do
        answer=$(tail -n +"$((before + 1))" "$work/out" | tr -d '\r' | grep -v '^event ' | head -1 || true)
        [ -n "$answer" ] && { echo "$answer"; return 0; }
        sleep 0.05
    done
    fail "no answer to '$*'"
}

# Waits up to 5 s for the answer to command $1 to match the extended regular expression $2; prints it.
wait_for() {
    local answer=""
    for _ in $(seq 25); do
        answer=$(ask "$1")
        grep -Eq -- "$2" <<<"$answer" && { echo "$answer"; return 0; }
        sleep 0.2
    done
    fail "$1 never matched /$2/: $answer"
}

# Waits for the next event matching /^event $1/ after the last one awaited (not in a subshell).
wait_event() {
    local line
    for _ in $(seq 50); do
        line=$(tr -d '\r' <"$work/out" | awk -v from="$events" -v re="^event $1" 'NR > from && $0 ~ re {print NR; exit}')
        [ -n "$line" ] && { events=$line; return 0; }
        sleep 0.1
    done
    fail "no event $1"
}

# Waits for the harness to end with exit code $2 (default 0); $1 names the step for the failure.
wait_exit() {
    poll 100 0.1 eval "! kill -0 $pid 2>/dev/null" || fail "the harness did not end: $1"
    local code=0
    wait "$pid" || code=$?
    pid=""
    exec 3>&-
    [ "$code" -eq "${2:-0}" ] || fail "the harness ended with $code: $1"
}
# wait_exit, and the message loop reported its own end.
wait_end() {
    wait_exit "$1"
    grep -q '^event ended' "$work/out" || fail "the loop did not end: $1"
}

# Waits for the visible dialog titled $1 (or "msgbox") to answer /${2:-^dialog [0-9]}/; prints the answer.
wait_dialog() { wait_for "dialog $1" "${2:-^dialog [0-9]}"; }
flat() { tr '\t' ' ' <<<"$1"; }
strip_visible() { [ "$(field visible "$(ask report)")" = 1 ]; }

shot() { import -window root "$shots/$1"; }
pixel() { convert "$shots/$1" -format "%[pixel:p{$2,$3}]" info:; }

# A space-separated field KEY=VALUE of an answer; a tab-separated one (all of them for a repeated key).
field() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<"$2"; }
cell() { tr '\t' '\n' <<<"$2" | sed -n "s/^$1=//p"; }
rows_of() { tr '\t' '\n' <<<"$1" | tail -n +2; }
# The screen point "X Y" of control $2 of the dialog answer $1: its centre, or $3 pixels from its left.
at() {
    local cx cy bx by bw bh
    IFS=, read -r cx cy <<<"$(cell client "$1")"
    IFS=, read -r bx by bw bh <<<"$(cell "box $2" "$1")"
    [ -n "$bh" ] || fail "no control $2 in $(tr '\t' ' ' <<<"$1")"
    echo "$((cx + bx + ${3:-$((bw / 2))})) $((cy + by + bh / 2))"
}
# Waits for the floating strip to be shown; keeps the answer in $report and its position in $x and $y.
strip_shown() {
    report=$(wait_for report 'visible=1')
    x=$(field x "$report")
    y=$(field y "$report")
}
# Clicks button ${2:-1} at the point "X Y" or "X,Y".
click() {
    # shellcheck disable=SC2046
    xdotool mousemove $(tr ',' ' ' <<<"$1") click "${2:-1}"
}
# Right-clicks at $1, chooses the menu item with command id $2 ($3 names a screenshot of the menu) and
# prints the menu.
choose() {
    click "$1" 3
    local menu
    menu=$(wait_for popup $'\t'"$2=")
    [ -z "${3:-}" ] || shot "$3"
    click "$(cell "$2" "$menu")"
    wait_for popup '^popup none' >/dev/null
    echo "$menu"
}

# The X window of the visible top-level window titled $1 (waits up to ${2:-5} s).
window() {
    local title=$1 found=""
    poll "$((${2:-5} * 10))" 0.1 \
        eval 'found=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -1) && [ -n "$found" ]' ||
        fail "no window $title"
    echo "$found"
}
key() { xdotool windowfocus --sync "$1" key "$2"; }
screen_size() { xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\) .*/\1 \2/p'; }
# The negative of until_ok: fails with $1 if the command succeeds within 1.5 s. The script must have
# seen the positive it looks for by a poll before, so that its absence means something.
never() {
    local what=$1
    shift
    ! poll 15 0.1 "$@" || fail "$what"
}
