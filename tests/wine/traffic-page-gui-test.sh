#!/usr/bin/env bash
# The process traffic page and its detail dialogs under Wine and Xvfb: the harness (an engine on fake
# process and socket tables) shows the page in a window of its own; xdotool clicks the headers, the rows
# and the context menu; the harness's probe reads the list and the dialogs back. Screenshots go to
# wine-shots/ of the build tree.
#
# Checked: the list holds the ordinary processes, not the accelerated game nor the exited updater, at
# (10, 10) 510 x 360 with the six columns; header clicks sort and reverse; "查看进程流量" opens the
# process dialog with the row's values, and its button the connection dialog; "查看进程连接信息" without
# a selection lists every connection; "结束进程" asks, and "否(&N)" leaves the process; "请选择一行"
# without a selection; the machine dialog's values; the program runs on and ends normally.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
harness=$1
. "$here/harness-lib.sh"
write_settings 1 "-1, -1" 0

# The value of a tab-separated field "KEY=VALUE" of an answer; all of them for a repeated key.
cell() { tr '\t' '\n' <<<"$2" | sed -n "s/^$1=//p"; }
rows_of() { tr '\t' '\n' <<<"$1" | tail -n +2; }

# Waits for the answer to command $1 to match the extended regular expression $2.
wait_for() { wait_report "$2" "$1"; }

click() { xdotool mousemove $(tr ',' ' ' <<<"$1") click "${2:-1}"; sleep 0.3; }

# Right-clicks at $1 and chooses the menu item with command id $2; $3 names a screenshot of the menu.
choose_at() {
    click "$1" 3
    local menu
    menu=$(wait_for popup $'\t'"$2=")
    [ -n "${3:-}" ] && shot "$3"
    click "$(cell "$2" "$menu")"
}

wait_dialog() { wait_for "dialog $1" '^dialog [0-9]'; }
wait_closed() { wait_for "dialog $1" '^dialog none' >/dev/null; }

names() { rows_of "$(ask 'page rows')" | cut -d'|' -f1 | paste -sd' '; }

echo "display $DISPLAY, harness $harness"
start_harness
ask fill >/dev/null
[ "$(ask 'page open')" = ok ] || fail "the page did not open"

# --- The list: the ordinary processes only, once the statistics have counted the traffic.
rows=$(wait_for 'page rows' $'^rows 2\t')
[ "$(names)" = "Browser.exe Chat.exe" ] || fail "listed: $(names)"
grep -q 'Game.exe\|Updater' <<<"$rows" && fail "the accelerated or exited process is listed: $rows"
browser=$(rows_of "$rows" | grep '^Browser.exe|')
chat=$(rows_of "$rows" | grep '^Chat.exe|')
[ "$(cut -d'|' -f6 <<<"$browser")" = 2 ] && [ "$(cut -d'|' -f6 <<<"$chat")" = 2 ] ||
    fail "connection counts: $browser / $chat"
geometry=$(ask 'page geometry')
[ "$(cell list "$geometry")" = "110,110,510,360" ] || fail "list rectangle: $(cell list "$geometry")"
[ "$(cell header "$geometry" | wc -l)" = 6 ] || fail "columns: $geometry"
sleep 1.2
shot traffic-page.png
pass "listed: $browser ; $chat (not Game.exe, not Updater.exe); list at (10,10) 510x360"

# --- Sorting: the name twice (ascending, then reversed), then the download total. Clicks on the same
# header are kept apart by more than the double-click time.
headers=($(cell header "$geometry"))
click_header() { click "${headers[$1]}"; sleep 0.4; }
click_header 0
[ "$(names)" = "Browser.exe Chat.exe" ] || fail "first sort by name: $(names)"
click_header 0
[ "$(names)" = "Chat.exe Browser.exe" ] || fail "second sort by name: $(names)"
click_header 3
[ "$(names)" = "Browser.exe Chat.exe" ] || fail "sort by download total: $(names)"
click_header 3
[ "$(names)" = "Chat.exe Browser.exe" ] || fail "reversed sort by download total: $(names)"
shot traffic-page-sorted.png
pass "header clicks sort by name and by download total, each reversed by the next click"

# --- 查看进程流量 on the Browser row (now the second), then its connections.
row_points=($(cell row "$(ask 'page geometry')"))
choose_at "${row_points[1]}" 32776 traffic-page-menu.png
dialog=$(wait_dialog 进程流量信息)
[ "$(cell 1010 "$dialog")" = Browser.exe ] && [ "$(cell 1012 "$dialog")" = 100 ] &&
    [ "$(cell 1017 "$dialog")" = 2 ] || fail "process dialog: $(tr '\t' ' ' <<<"$dialog")"
[ "$(cell 1015 "$dialog")" = "$(cut -d'|' -f4 <<<"$browser")" ] ||
    echo "note: download total $(cell 1015 "$dialog") in the dialog, $(cut -d'|' -f4 <<<"$browser") listed"
[ -n "$(cell 1068 "$dialog")" ] || fail "no path: $(tr '\t' ' ' <<<"$dialog")"
shot process-traffic-dialog.png
pass "进程流量信息: $(cell 1010 "$dialog") pid $(cell 1012 "$dialog"), down $(cell 1015 "$dialog"), up $(cell 1016 "$dialog"), $(cell 1017 "$dialog") connections"

click "$(cell 'button 4' "$dialog")"
connections=$(wait_dialog 进程连接详细信息)
[ "$(cell 'list 1001' "$connections" | cut -f1)" = 2 ] || fail "connection dialog (one process): $connections"
[ "$(rows_of "$connections" | grep -c '^Browser.exe|100|TCP|')" = 2 ] ||
    fail "connection rows: $(tr '\t' ' ' <<<"$connections")"
shot connection-dialog-process.png
click "$(cell 'button 1' "$connections")"
wait_closed 进程连接详细信息
click "$(cell 'button 3' "$dialog")"
wait_closed 进程流量信息
pass "查看此进程的网络连接: Browser.exe's two TCP connections; both dialogs close"

# --- Without a selection: 查看进程连接信息 lists every connection; 查看进程流量 asks for a row.
list_rect=$(cell list "$(ask 'page geometry')")
IFS=, read -r lx ly lw lh <<<"$list_rect"
empty="$((lx + 200)),$((ly + lh - 40))"
click "$empty"
choose_at "$empty" 32779
connections=$(wait_dialog 进程连接详细信息)
count=$(cell 'list 1001' "$connections" | cut -f1)
[ "$count" = 7 ] || fail "all connections: $count: $(tr '\t' ' ' <<<"$connections")"
rows_of "$connections" | grep -q '^Chat.exe|300|UDP|0.0.0.0|50200|0.0.0.0|0|' ||
    fail "the chat program's UDP port: $(tr '\t' ' ' <<<"$connections")"
shot connection-dialog-all.png
click "$(cell 'button 1' "$connections")"
wait_closed 进程连接详细信息
pass "查看进程连接信息 without a selection: all $count connections"

choose_at "$empty" 32776
notice=$(wait_for msgbox '^dialog [0-9]')
[ "$(cell 'button 1' "$notice")" != "" ] || fail "no 确定 in the notice: $notice"
grep -q '请选择一行' <<<"$notice" || fail "notice text: $(tr '\t' ' ' <<<"$notice")"
shot select-a-row.png
click "$(cell 'button 1' "$notice")"
wait_for msgbox '^dialog none' >/dev/null
pass "查看进程流量 without a selection: 请选择一行"

# --- 结束进程 answered 否: the process stays.
row_points=($(cell row "$(ask 'page geometry')"))
choose_at "${row_points[0]}" 32800
question=$(wait_for msgbox '^dialog [0-9]')
[ "$(cell title "$question")" = 结束进程 ] || fail "caption: $(tr '\t' ' ' <<<"$question")"
grep -q '您确定要关闭Chat.exe进程吗？' <<<"$question" || fail "question: $(tr '\t' ' ' <<<"$question")"
shot end-process-question.png
click "$(cell 'button 7' "$question")"
wait_for msgbox '^dialog none' >/dev/null
sleep 2.2
[ "$(names)" = "Chat.exe Browser.exe" ] || fail "after 否: $(names)"
pass "结束进程 answered 否(&N): Chat.exe is still listed"

# --- The machine dialog.
ask machine >/dev/null
machine=$(wait_dialog 本机流量信息)
[ "$(cell 1011 "$machine")" = harness ] && [ "$(cell 1013 "$machine")" = 192.168.1.20 ] || fail "machine dialog: $(tr '\t' ' ' <<<"$machine")"
[ -n "$(cell 1015 "$machine")" ] && [ -n "$(cell 1022 "$machine")" ] || fail "machine figures: $machine"
shot machine-traffic-dialog.png
click "$(cell 'button 1' "$machine")"
wait_closed 本机流量信息
pass "本机流量信息: $(cell 1011 "$machine"), since $(cell 1015 "$machine"), down $(cell 1018 "$machine") at $(cell 1022 "$machine")"

# --- Still running; WM_CLOSE of the floating window ends the program normally.
[ "$(ask 'page rows' | cut -f1)" = "rows 2" ] || fail "the page stopped"
ask close >/dev/null
wait_exit WM_CLOSE
pass "the program ran on and ended with exit code 0"
echo "screenshots in $shots"
