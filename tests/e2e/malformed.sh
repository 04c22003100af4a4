#!/usr/bin/env bash
# Requests the monitor must refuse: each malformed one is answered with the failure value of its row,
# a message whose length field disagrees with what arrived gets no answer at all, and so does an id
# without a handler. The conversation goes on after each of them.
source "$(dirname "$0")/lib.sh"
e2e_init malformed
e2e_netns
e2e_console_start
e2e_monitor_start Accelerator.exe

readonly FAIL64=18446744073709551615
name=$(e2e_hex_text e2e-nobody.exe)
name_bytes=$((${#name} / 2))
time=$(printf '0%.0s' {1..32})

# e2e_refused WHAT ANSWER_ID FIELD EXPECTED LINE: sends the raw line, expects the failure value.
e2e_refused() {
    local what=$1 answer=$2 field=$3 expected=$4 line=$5
    e2e_send "$line"
    e2e_await "$answer" 20 || e2e_fail "$what: no answer $answer"
    e2e_equal "$(e2e_field "$field")" "$expected" "$what"
    e2e_log "refused as it should be: $what -> $field=$expected"
}

e2e_refused "StopAlarm without its byte" 8 result 0 "$(e2e_frame 7)"
e2e_refused "StopAlarm with two bytes" 8 result 0 "$(e2e_frame 7 0100)"
e2e_refused "SetAccelerateProcess one byte too long" 16 result 0 \
    "$(e2e_frame 15 "$(e2e_hex32 "$name_bytes")${name}02$(e2e_hex_text ';')00")"
e2e_refused "SetAccelerateProcess with a names count beyond the message" 16 result 0 \
    "$(e2e_frame 15 "$(e2e_hex32 200)${name}02$(e2e_hex_text ';')")"
e2e_refused "SetUnclearProcessName one byte too short" 18 result 0 \
    "$(e2e_frame 17 "$(e2e_hex32 "$name_bytes")${name}02$(e2e_hex_text ';' | cut -c1-2)")"
e2e_refused "GetProcessDownRefluxByProcessName with a 4-byte name" 40 bytes $FAIL64 \
    "$(e2e_frame 39 "$(e2e_hex16 4)$(e2e_hex_text ab)")"
e2e_refused "GetProcessUpRefluxByProcessName whose count disagrees with the length" 44 bytes $FAIL64 \
    "$(e2e_frame 43 "$(e2e_hex16 $((name_bytes + 2)))${name}")"
e2e_refused "GetProcessDownRefluxByPId with a 2-byte pid" 42 bytes $FAIL64 "$(e2e_frame 41 0100)"
e2e_refused "GetProcessUpRefluxByPId with a 5-byte pid" 46 bytes $FAIL64 "$(e2e_frame 45 0100000000)"
e2e_refused "GetProcessStartTimeByPId with a 2-byte pid" 50 result -1 "$(e2e_frame 49 0100)"
e2e_refused "GetProcessExitTimeByProcessName with a 2-byte name" 52 result -1 \
    "$(e2e_frame 51 "$(e2e_hex16 2)$(e2e_hex_text a)")"
e2e_refused "GetProcessTotalTime with a 4-byte name" 56 seconds 0 "$(e2e_frame 55 "$(e2e_hex16 4)$(e2e_hex_text ab)")"
e2e_refused "GetProcessDownRefluxBetweenTimeByName one byte short" 62 bytes $FAIL64 \
    "$(e2e_frame 61 "$(e2e_hex16 "$name_bytes")${name}${time}${time:2}")"
e2e_refused "GetProcessDownRefluxBetweenTimeById one byte short" 64 bytes $FAIL64 \
    "$(e2e_frame 63 "$(e2e_hex32 1)${time}${time:2}")"
e2e_refused "GetProcessUpRefluxBetweenTimeByName one byte long" 66 bytes $FAIL64 \
    "$(e2e_frame 65 "$(e2e_hex16 "$name_bytes")${name}${time}${time}00")"
# The answer of 67 carries its request's id.
e2e_refused "GetProcessUpRefluxBetweenTimeById one byte long" 67 bytes $FAIL64 \
    "$(e2e_frame 67 "$(e2e_hex32 1)${time}${time}00")"
e2e_refused "GetAlarmState with a byte" 70 state 0 "$(e2e_frame 69 01)"

# Well formed, but about nothing: the queries that find nothing.
e2e_ask 'GetProcessDownRefluxByPId pid=999999' 42 bytes
e2e_equal "$ANSWER" $FAIL64 "by pid, no such process"
e2e_ask 'GetProcessExitTimeByPId pid=999999' 54 result
e2e_equal "$ANSWER" -1 "exit time, no such process"
e2e_ask 'GetProcessUpRefluxByProcessName name=e2e-nobody.exe' 44 bytes
e2e_equal "$ANSWER" 0 "by name, nobody"

# A length field that says more, or less, than arrived: dropped without an answer; the next request's
# answer comes first. The ids are those of requests that would otherwise be answered.
e2e_send "$(e2e_frame 21 '' 20)"
e2e_send "$(e2e_frame 7 0101 10)"
e2e_send "$(e2e_frame 23 '' 8)"
# An id without a handler.
e2e_send "$(e2e_frame 79 '')"
e2e_send GetLocalDownReflux
e2e_await 20 20 22 || e2e_fail "no answer after the dropped messages"
e2e_send GetAccelerateDownReflux
e2e_await 26 20 8 || e2e_fail "no answer after the dropped messages"
grep -q '"dir":"in","id":24,' "$WORK/console.out" && e2e_fail "a message with a short length field was answered"
e2e_log "messages with wrong length fields and an unknown id got no answer"

e2e_finish
