#!/usr/bin/env bash
# Installs every Debian package the builds, the tests and the benchmarks need, and the zh_CN locale
# that Wine needs to run the Windows build with the Chinese ANSI code page (936).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libpcap-dev iproute2 iperf3 tcpdump nethogs gnuplot-nox
  mingw-w64 wine wine64 xvfb xdotool imagemagick x11-utils locales fonts-wqy-microhei fonts-wqy-zenhei
  clang-format file gcovr
  libcpp-httplib-dev prometheus curl
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
