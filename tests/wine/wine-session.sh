#!/usr/bin/env bash
# start: start an Xvfb display of this build tree's own, make the private Wine prefix once (cached in
# the build tree), start a persistent wineserver. stop: end both.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
state="$KVT_WINE_STATE"
mkdir -p "$state"

display_alive() {
    [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null &&
        xdpyinfo -display "$(cat "$state/display")" >/dev/null 2>&1
}

start_display() {
    display_alive && return 0
    # The first display number nobody uses: other build trees may run their own Xvfb at the same time.
    local n
    for n in $(seq 99 199); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >"$state/xvfb.log" 2>&1 &
    echo $! >"$state/xvfb.pid"
    echo ":$n" >"$state/display"
    for _ in $(seq 100); do
        xdpyinfo -display ":$n" >/dev/null 2>&1 && break
        sleep 0.1
    done
    xdpyinfo -display ":$n" >/dev/null 2>&1 || { echo "Xvfb :$n did not start" >&2; cat "$state/xvfb.log" >&2; exit 1; }
}

# The marker names the prefix's settings: a prefix made with other settings is made anew.
make_prefix() {
    [ -f "$WINEPREFIX/.kvt-ready-unmanaged" ] && return 0
    rm -rf "$WINEPREFIX"
    if ! wineboot --init </dev/null >"$state/wineboot.log" 2>&1; then
        cat "$state/wineboot.log" >&2
        exit 1
    fi
    wineserver -w
    # The dialog font: without a replacement, Latin letters in it render as boxes.
    for font in 宋体 SimSun NSimSun; do
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /t REG_SZ /d 'WenQuanYi Micro Hei' /f </dev/null >/dev/null 2>&1
    done
    # No window manager runs under Xvfb: Wine draws captions itself, and with managed windows it would
    # wait up to 2 s for one on every top-level window it hides.
    for setting in Decorated Managed; do
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v $setting /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
    done
    wineserver -w
    touch "$WINEPREFIX/.kvt-ready-unmanaged"
}

start() {
    start_display
    export DISPLAY="$(cat "$state/display")"
    make_prefix
    # A persistent wineserver makes each program start in well under a second. Its output must not
    # hold the test runner's pipe open; it answers 2 when one already runs.
    wineserver -p </dev/null >/dev/null 2>&1 || true
    # Wine's background services start with the first program and keep its standard streams: start
    # them here, on /dev/null, so that no test's output pipe is held open after the test ends.
    wine reg query 'HKCU\Software\Wine' </dev/null >/dev/null 2>&1 || true
    echo "wine session ready: prefix $WINEPREFIX, display $DISPLAY"
}

stop() {
    wineserver -k 2>/dev/null || true
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
        rm -f "$state/xvfb.pid" "$state/display"
    fi
    echo "wine session stopped"
}

case "${1:-}" in
    start) start ;;
    stop) stop ;;
    *) echo "usage: wine-session.sh start|stop" >&2; exit 2 ;;
esac
