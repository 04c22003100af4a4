#pragma once

// The per-process detail dialogs opened by process id, for the windows whose rows name a process by
// its id (the alarm lists and the high-bandwidth pop-up).

#include <windows.h>

#include <cstdint>

namespace ui {

// "进程流量信息" of the running process `pid`, modal: its result (IDC_PROCESS_END when the process was
// ended from it), or 0 when the process has no running record.
INT_PTR OpenProcessTrafficDialog(HWND owner, std::uint32_t pid);
// "进程连接详细信息" of that process, modal; 0 when it has no running record.
INT_PTR OpenProcessConnectionsDialog(HWND owner, std::uint32_t pid);

// Makes the two the alarm lists' openers.
void RegisterProcessDialogOpeners();

}  // namespace ui
