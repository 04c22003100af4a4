# Sourced by the GUI test scripts that drive the harness program: its start (with one retry), its
# commands and answers over a pipe, the end of the run and the screenshots. Expects `harness` (the
# program's path) and sets dir, exe, shots, work and pid.
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
dir=$(cd "$(dirname "$harness")" && pwd)
exe=$(basename "$harness")
shots="${KVT_BUILD_DIR:?}/wine-shots"
work=$(mktemp -d)
mkdir -p "$shots" "$dir/tmp"
pid=""

cleanup() {
    exec 3>&- 2>/dev/null || true
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/out" ] && { echo "--- harness output" >&2; tr '\t' ' ' <"$work/out" | tail -40 >&2; }
    exit 1
}
pass() { echo "ok: $*"; }

lines() { wc -l <"$work/out"; }

start_harness() {
    local attempt
    for attempt in 1 2; do
        rm -f "$work/in" "$work/out"
        mkfifo "$work/in"
        : >"$work/out"
        (cd "$dir" && exec wine "./$exe" <"$work/in" >"$work/out" 2>"$work/err") &
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

# Sends one command and prints its answer (events are skipped).
ask() {
    local before
    before=$(lines)
    echo "$*" >&3
    for _ in $(seq 100); do
        local answer
        # Standard output is in text mode on Windows: lines end in CR LF.
        answer=$(tail -n +"$((before + 1))" "$work/out" | tr -d '\r' | grep -v '^event ' | head -1 || true)
        if [ -n "$answer" ]; then
            echo "$answer"
            return 0
        fi
        sleep 0.05
    done
    fail "no answer to '$*'"
}

shot() { import -window root "$shots/$1"; }
