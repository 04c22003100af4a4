#!/usr/bin/env bash
# Runs the monitor with a live view of its figures: builds kvtmon and kvtmon-plugin (linux-release),
# starts the monitor through the plugin console, names GAME as the accelerated process and prints the
# machine's and the accelerated totals with their rates every second and the process list every
# minute. Ctrl-C ends the monitor; the session's report (report.csv, report.json, rates.png) then goes to
# $KVT_REPORT_DIR (default build/report, made if missing; a relative path is from the repository's top).
# Run scripts/install-deps.sh first on a fresh machine.
#   bash scripts/run-monitor.sh [GAME]      (as root; GAME defaults to GameClient.exe)
set -euo pipefail
cd "$(dirname "$0")/.."

game=${1:-GameClient.exe}
if [[ $(id -u) -ne 0 ]]; then
    echo "run-monitor.sh: the monitor captures every packet and needs root; run it as root (or with sudo)" >&2
    exit 1
fi

cmake --preset linux-release >/dev/null
cmake --build --preset linux-release -j "${KVT_JOBS:-$(nproc)}" --target kvtmon kvtmon-plugin

build=build/linux-release
report=${KVT_REPORT_DIR:-build/report}
mkdir -p "$report"
exec "$build/tools/plugin/kvtmon-plugin" --launch "$build/src/app/kvtmon" --watch "$game" --report "$report"
