#!/usr/bin/env bash
# Fails when a portable source file (no _win/_linux suffix) includes an OS header. Such code belongs in
# the file's *_win.cpp or *_linux.cpp variant.
set -u
: "${1:?usage: check-portable-includes.sh DIR...}"
os='^\s*#\s*include\s*[<"](windows|winsock2|ws2tcpip|iphlpapi|psapi|tlhelp32|shellapi|commctrl|objbase|netfw|iconv|sys/|netinet/|arpa/|net/|linux/|pcap|unistd|ifaddrs|dirent|fcntl|pthread|signal|poll|dlfcn)'
bad=$(find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) \
        ! -name '*_win.cpp' ! -name '*_win.h' ! -name '*_linux.cpp' ! -name '*_linux.h' -print0 \
      | xargs -0 -r grep -nHE "$os")
if [ -n "$bad" ]; then
  echo "Portable files that include an OS header:"
  echo "$bad"
  exit 1
fi
echo "portable files: no OS header included"
