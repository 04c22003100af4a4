#!/usr/bin/env bash
# The process traffic page and its detail dialogs: the harness shows the page in a window of its own;
# xdotool clicks the headers, the rows and the context menu; the harness reads the list and the dialogs
# back. Checked: the list holds the ordinary processes, not the accelerated game nor the exited updater,
# at (10, 10) 510 x 360 with the six columns; a header click sorts, the next reverses (the order of
# every column is the list model's unit test's); "查看进程流量" opens the process dialog with the row's
# values, and its button the connection dialog; "请选择一行" without a selection; "结束进程" asks, and
# "否(&N)" leaves the process; the machine dialog's values; the program runs on and ends normally.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
harness=$1
. "$here/harness-lib.sh"
write_settings 1 "-1, -1" 0
names() { rows_of "$(ask rows)" | cut -d'|' -f1 | paste -sd' '; }
names_are() { [ "$(names)" = "$1" ]; }
closes() { # clicks button $3 of the dialog answer $2 and waits until the dialog $1 has gone
    click "$(at "$2" "$3")"
    wait_for "dialog $1" '^dialog none' >/dev/null
}

start_harness
ask fill >/dev/null
[ "$(ask 'page traffic')" = ok ] || fail "the page did not open"

# --- The list: the ordinary processes only, once the statistics have counted the traffic.
rows=$(wait_for rows $'^rows 2\t')
names_are "Browser.exe Chat.exe" || fail "listed: $(names)"
grep -q 'Game.exe\|Updater' <<<"$rows" && fail "the accelerated or exited process is listed: $rows"
browser=$(rows_of "$rows" | grep '^Browser.exe|')
chat=$(rows_of "$rows" | grep '^Chat.exe|')
[ "$(cut -d'|' -f6 <<<"$browser")" = 2 ] && [ "$(cut -d'|' -f6 <<<"$chat")" = 2 ] || fail "connection counts: $browser / $chat"
geometry=$(ask geometry)
[ "$(cell list "$geometry")" = "110,110,510,360" ] || fail "list rectangle: $(cell list "$geometry")"
headers=($(cell header "$geometry"))
[ "${#headers[@]}" = 6 ] || fail "columns: $geometry"
sleep 1 # its first paint
shot traffic-page.png
pass "listed: $browser ; $chat (not Game.exe, not Updater.exe); list at (10,10) 510x360"

# --- Sorting by the name, then reversed. The clicks are kept apart by more than the double-click time.
for order in "Browser.exe Chat.exe" "Chat.exe Browser.exe"; do
    sleep 0.6
    click "${headers[0]}"
    until_ok "the header click gave $(names), not $order" names_are "$order"
done
shot traffic-page-sorted.png
pass "a header click sorts by the name, the next reverses"

# --- 查看进程流量 on the Browser row (now the second), then its connections.
row_points=($(cell row "$(ask geometry)"))
choose "${row_points[1]}" 32776 traffic-page-menu.png >/dev/null
dialog=$(wait_dialog 进程流量信息)
[ "$(cell 1010 "$dialog")" = Browser.exe ] && [ "$(cell 1012 "$dialog")" = 100 ] && [ "$(cell 1017 "$dialog")" = 2 ] ||
    fail "process dialog: $(flat "$dialog")"
[ -n "$(cell 1068 "$dialog")" ] || fail "no path: $(flat "$dialog")"
shot process-traffic-dialog.png
pass "进程流量信息: Browser.exe pid 100, down $(cell 1015 "$dialog"), up $(cell 1016 "$dialog"), 2 connections"

click "$(at "$dialog" 4)"
connections=$(wait_dialog 进程连接详细信息)
[ "$(cell 'list 1001' "$connections" | cut -f1)" = 2 ] &&
    [ "$(rows_of "$connections" | grep -c '^Browser.exe|100|TCP|')" = 2 ] ||
    fail "connection dialog (one process): $(flat "$connections")"
shot connection-dialog-process.png
closes 进程连接详细信息 "$connections" 1
closes 进程流量信息 "$dialog" 3
pass "查看此进程的网络连接: Browser.exe's two TCP connections; both dialogs close"

# --- Without a selection, 查看进程流量 asks for a row.
IFS=, read -r lx ly _ lh <<<"$(cell list "$geometry")"
empty="$((lx + 200)),$((ly + lh - 40))"
click "$empty"
choose "$empty" 32776 >/dev/null
notice=$(wait_dialog msgbox)
grep -q '请选择一行' <<<"$notice" || fail "notice text: $(flat "$notice")"
shot select-a-row.png
closes msgbox "$notice" 1
pass "查看进程流量 without a selection: 请选择一行, closed by 确定"

# --- 结束进程 answered 否: the process stays (the list's refresh was seen above).
row_points=($(cell row "$(ask geometry)"))
choose "${row_points[0]}" 32800 >/dev/null
question=$(wait_dialog msgbox)
[ "$(cell title "$question")" = 结束进程 ] && grep -q '您确定要关闭Chat.exe进程吗？' <<<"$question" ||
    fail "question: $(flat "$question")"
shot end-process-question.png
closes msgbox "$question" 7
never "Chat.exe went after 否: $(names)" eval '! names_are "Chat.exe Browser.exe"'
pass "结束进程 answered 否(&N): Chat.exe is still listed"

# --- The machine dialog; the program runs on; WM_CLOSE of the floating window ends it normally.
ask "open machine" >/dev/null
machine=$(wait_dialog 本机流量信息)
[ "$(cell 1011 "$machine")" = harness ] && [ "$(cell 1013 "$machine")" = 192.168.1.20 ] &&
    [ -n "$(cell 1015 "$machine")" ] && [ -n "$(cell 1022 "$machine")" ] || fail "machine dialog: $(flat "$machine")"
shot machine-traffic-dialog.png
closes 本机流量信息 "$machine" 1
wait_event "closed machine 1"
pass "本机流量信息: harness, since $(cell 1015 "$machine"), down $(cell 1018 "$machine") at $(cell 1022 "$machine")"
[ "$(ask rows | cut -f1)" = "rows 2" ] || fail "the page stopped"
ask close >/dev/null
wait_exit WM_CLOSE
pass "the program ran on and ended with exit code 0"
