# Sourced by the Wine scripts: one private prefix per build tree, the Chinese code page, a quiet Wine,
# and the build tree's own Xvfb display (recorded by wine-session.sh start).
: "${KVT_WINEPREFIX:?KVT_WINEPREFIX must name the Wine prefix of the build tree}"
export WINEPREFIX="$KVT_WINEPREFIX"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# With the zh_CN locale the ANSI and OEM code pages are 936, as on a Chinese Windows.
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
KVT_WINE_STATE="$(dirname "$WINEPREFIX")/wine-session"
if [ -n "${KVT_DISPLAY:-}" ]; then
    export DISPLAY="$KVT_DISPLAY"
elif [ -f "$KVT_WINE_STATE/display" ]; then
    export DISPLAY="$(cat "$KVT_WINE_STATE/display")"
fi
