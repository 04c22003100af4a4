# Sourced by the Wine scripts: one private prefix per build tree, the Chinese code page, a quiet Wine.
: "${KVT_WINEPREFIX:?KVT_WINEPREFIX must name the Wine prefix of the build tree}"
export WINEPREFIX="$KVT_WINEPREFIX"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# With the zh_CN locale the ANSI and OEM code pages are 936, as on a Chinese Windows.
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export DISPLAY="${KVT_DISPLAY:-:99}"
