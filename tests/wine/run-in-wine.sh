#!/usr/bin/env bash
# The emulator of the Windows test build: runs a Windows program under the build tree's Wine prefix.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
: "${KVT_WINEPREFIX:=$(pwd)/wineprefix}"
export KVT_WINEPREFIX
. "$here/wine-env.sh"
exec wine "$@"
