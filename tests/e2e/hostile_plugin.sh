#!/usr/bin/env bash
# A plugin that misbehaves: random bytes, length fields that disagree with what arrived, a 64 KB message
# (longer than the monitor's receive buffer), a message cut in two, and a flood of 10 000 requests
# written as fast as the pipe takes them. The monitor drops every message it cannot take, answers every
# well-formed request, keeps running, and its resident memory stays where it was.
source "$(dirname "$0")/lib.sh"
e2e_init hostile_plugin
e2e_netns
e2e_console_start
e2e_monitor_start Accelerator.exe
readonly FLOOD=10000

# Little-endian fields as hex for the console's "raw" lines.
hex32() { printf '%02x%02x%02x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
# frame ID BODY_HEX [LENGTH]: a message with a 9-byte header; the length field true unless given.
frame() { echo "raw $(hex32 "${3:-$((9 + ${#2} / 2))}")$(hex32 "$1")01$2"; }

# After hostile messages the next well-formed request is answered, and nothing the hostile ones would
# have asked for (GetLocalDownReflux, answer 20) comes first.
still_answers() {
    e2e_send GetAccelerateTotalReflux
    e2e_await 30 20 20 || e2e_fail "no answer after $1"
    kill -0 "$MON_PID" 2>/dev/null || e2e_fail "the monitor is gone ($1)"
}

# Settle first: the memory of a monitor that has answered its first requests.
for _ in $(seq 20); do e2e_send GetLocalDownReflux; done
e2e_send GetAccelerateTotalReflux
e2e_await 30 20 || e2e_fail "no answer to the first requests"
rss_before=$(e2e_rss_kb)

# 200 messages of 1 to 4096 random bytes (a random length field equal to the message's size, with a
# request id behind it, is a one in four billion chance).
random=$(head -c $((200 * 4096)) /dev/urandom | od -An -v -tx1 | tr -d ' \n')
for i in $(seq 0 199); do
    e2e_send "raw ${random:i * 8192:(RANDOM % 4096 + 1) * 2}"
done
e2e_drain
still_answers "200 messages of random bytes"

# Length fields that say something else than what arrived, and messages shorter than the header.
for length in 0 1 8 10 4096 65535 4294967295; do
    e2e_send "$(frame 19 '' "$length")"
done
e2e_send "raw 09"
e2e_send "raw 0900000013000000"
still_answers "wrong length fields and messages shorter than the header"

# 64 KB with a true length field: longer than the receive buffer, dropped whole; what follows is intact.
e2e_send "$(frame 19 "$(head -c $(((64 * 1024 - 9) * 2)) /dev/zero | tr '\0' 0)")"
still_answers "a 64 KB message"

# A by-name request cut in the middle: its first half, then the rest as a message of its own, then the
# next request whole.
name=$(printf 'e2e-cut-in-two.exe' | iconv -t UTF-16LE | od -An -v -tx1 | tr -d ' \n')
whole=$(frame 39 "$(printf '%02x00' $((${#name} / 2)))$name")
whole=${whole#raw }
half=$((${#whole} / 4 * 2))
e2e_send "raw ${whole:0:half}"
e2e_send "raw ${whole:half}"
e2e_send "GetProcessDownRefluxByProcessName name=e2e-whole.exe"
e2e_await 40 20 || e2e_fail "no answer to the request after the cut one"
e2e_equal "$(e2e_field bytes)" 0 "the request after the cut one"
still_answers "a message cut in two"

# The flood: every request answered, each once.
e2e_drain
answered() { grep -c '"dir":"in","id":22,' "$WORK/console.out" || true; }
already=$(answered)
since=$(e2e_now_us)
printf 'GetLocalUpReflux\n%.0s' $(seq $FLOOD) >&"$E2E_IN"
while (($(answered) < already + FLOOD)); do
    (($(e2e_now_us) < since + 60000000)) || e2e_fail "$(($(answered) - already)) of $FLOOD flood requests answered in 60 s"
    sleep 0.02
done
e2e_log "figure: $FLOOD requests answered after $((($(e2e_now_us) - since) / 1000)) ms"
e2e_drain
still_answers "the flood"
e2e_equal "$(($(answered) - already))" "$FLOOD" "answers to the flood"

rss_after=$(e2e_rss_kb)
e2e_log "figure: monitor resident memory $rss_before kB before the hostile messages, $rss_after kB after"
# A bound far above any noise: only a monitor that kept what it dropped, or queued the flood's
# answers, goes past it.
((rss_after - rss_before < 65536)) || e2e_fail "resident memory grew by $((rss_after - rss_before)) kB"
e2e_finish
