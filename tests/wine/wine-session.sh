#!/usr/bin/env bash
# start: make the private Wine prefix once (cached in the build tree), start Xvfb and a persistent
# wineserver for the tests. stop: end both.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
state="$(dirname "$WINEPREFIX")/wine-session"
mkdir -p "$state"

start() {
    if [ ! -f "$WINEPREFIX/.kvt-ready" ]; then
        rm -rf "$WINEPREFIX"
        wineboot --init </dev/null >"$state/wineboot.log" 2>&1
        wineserver -w
        # The dialog font: without a replacement, Latin letters in it render as boxes.
        for font in 宋体 SimSun NSimSun; do
            wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /t REG_SZ /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
        done
        # No window manager under Xvfb: let Wine draw captions itself.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.kvt-ready"
    fi
    if ! xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
        Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp </dev/null >"$state/xvfb.log" 2>&1 &
        echo $! >"$state/xvfb.pid"
        for _ in $(seq 50); do
            xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && break
            sleep 0.1
        done
    fi
    # A persistent wineserver makes each program start in well under a second. Its output must not
    # hold the test runner's pipe open.
    wineserver -p </dev/null >/dev/null 2>&1 || true  # 2 when one already runs
    # Wine's background services start with the first program and keep its standard streams: start
    # them here, on /dev/null, so that no test's output pipe is held open after the test ends.
    wine reg query 'HKCU\Software\Wine' </dev/null >/dev/null 2>&1 || true
    echo "wine session ready: prefix $WINEPREFIX, display $DISPLAY"
}

stop() {
    wineserver -k 2>/dev/null || true
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
        rm -f "$state/xvfb.pid"
    fi
    echo "wine session stopped"
}

case "${1:-}" in
    start) start ;;
    stop) stop ;;
    *) echo "usage: wine-session.sh start|stop" >&2; exit 2 ;;
esac
