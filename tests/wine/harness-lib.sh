# Sourced by the GUI tests of the harness program (the floating window on an engine with fake system
# tables): its start in a directory of its own with a settings file, commands on its standard input and
# their answers, xdotool steps, screenshots into wine-shots/ of the build tree. The caller sets `here`
# and `harness` (the harness program) and runs with set -euo pipefail.
. "$here/wine-env.sh"
dir=$(cd "$(dirname "$harness")" && pwd)
exe=$(basename "$harness")
shots="${KVT_BUILD_DIR:?}/wine-shots"
work=$(mktemp -d)
settings="$dir/tmp/kestrivonsetting.txt"
mkdir -p "$shots" "$dir/tmp"
pid=""

# A script may name a function in `on_cleanup` that runs at the end, before the work folder goes.
cleanup() {
    exec 3>&- 2>/dev/null || true
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
    fi
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

# The settings file in the ANSI form the program writes itself.
write_settings() {
    printf '[SUSPENSION]\r\nSHOW=%s\r\nLOCATION=%s\r\n[ALARM]\r\nALARM=%s\r\n' "$1" "$2" "$3" >"$settings"
}
setting() { grep -a "^$1=" "$settings" | head -1 | cut -d= -f2- | tr -d '\r'; }

lines() { wc -l <"$work/out"; }

start_harness() {
    local attempt
    for attempt in 1 2; do
        rm -f "$work/in" "$work/out"
        mkfifo "$work/in"
        : >"$work/out"
        (cd "$dir" && exec wine "./$exe" ${harness_args:-} <"$work/in" >"$work/out" 2>"$work/err") &
        pid=$!
        exec 3>"$work/in"
        for _ in $(seq 150); do
            grep -q '^ready' "$work/out" && return 0
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        # The desktop process sometimes times out on a first start: one retry.
        exec 3>&-
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        echo "harness start $attempt failed, retrying" >&2
    done
    fail "the harness did not start: $(cat "$work/err" 2>/dev/null | tail -5)"
}

# Sends one command and prints its answer (events, and the dialogs' "closed" notices, are skipped).
ask() {
    local before
    before=$(lines)
    echo "$*" >&3
    for _ in $(seq 100); do
        local answer
        # Standard output is in text mode on Windows: lines end in CR LF.
        answer=$(tail -n +"$((before + 1))" "$work/out" | tr -d '\r' | grep -Ev '^(event|closed) ' | head -1 || true)
        if [ -n "$answer" ]; then
            echo "$answer"
            return 0
        fi
        sleep 0.05
    done
    fail "no answer to '$*'"
}

field() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<"$2"; }
text_of() { sed -n 's/.* text=//p' <<<"$1"; }

# Waits up to 5 s for the answer to command $2 (default: report) to match the extended regular
# expression $1.
wait_report() {
    local report=""
    for _ in $(seq 25); do
        report=$(ask "${2:-report}")
        grep -Eq "$1" <<<"$report" && { echo "$report"; return 0; }
        sleep 0.2
    done
    fail "${2:-report} never matched /$1/: $report"
}

wait_event() {
    for _ in $(seq 50); do
        grep -q "^event $1" "$work/out" && return 0
        sleep 0.1
    done
    fail "no event $1"
}

# Waits for the harness to end and checks its exit code 0; $1 names the step for the failure.
wait_exit() {
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "the harness did not end: $1"
    local code=0
    wait "$pid" || code=$?
    pid=""
    exec 3>&-
    [ "$code" -eq 0 ] || fail "the harness ended with $code: $1"
}

# wait_exit, and the message loop reported its own end.
wait_end() {
    wait_exit "$1"
    grep -q '^event ended' "$work/out" || fail "the loop did not end: $1"
}

shot() { import -window root "$shots/$1"; }
pixel() { convert "$shots/$1" -format "%[pixel:p{$2,$3}]" info:; }

menu_item() {  # the centre "X Y" of the menu item with command id $1 in the menu answer $2
    tr ' ' '\n' <<<"$2" | grep "^$1:" | cut -d: -f2 | tr ',' ' '
}
open_menu() {
    xdotool mousemove "$((x + 10))" "$((y + 12))" click 3
    local menu=""
    for _ in $(seq 40); do
        menu=$(ask menu)
        grep -q '32798:' <<<"$menu" && { echo "$menu"; return 0; }
        sleep 0.1
    done
    fail "the context menu did not open: $menu"
}
choose() {  # opens the menu and clicks the item with command id $1
    local menu
    menu=$(open_menu)
    [ -n "${2:-}" ] && shot "$2"
    # shellcheck disable=SC2046
    xdotool mousemove $(menu_item "$1" "$menu") click 1
    sleep 0.3
    echo "$menu"
}

