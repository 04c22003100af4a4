#pragma once

// What the history page and the alarm information dialog share: their report lists with icons, the
// process context menu (menu 202) and what its commands do. The per-process traffic and connection
// dialogs belong to the traffic page; whoever builds them registers how to open them here.

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "ui/alarm_record_rows.h"
#include "ui/list_view_win.h"

namespace ui {

// Opens a detail dialog of process `pid` (named `name`) with `owner` as its owner.
using ProcessDialogOpener = std::function<void(HWND owner, std::uint32_t pid, const std::u16string& name)>;
struct ProcessDialogOpeners {
    ProcessDialogOpener traffic;      // 32776 "查看进程流量", and a double click on a row
    ProcessDialogOpener connections;  // 32779 "查看进程连接信息"
};
// Registered once at start-up; until then the two commands do nothing.
void SetProcessDialogOpeners(ProcessDialogOpeners openers);
const ProcessDialogOpeners& GetProcessDialogOpeners();

// Report style with full-row selection and grid lines, the columns, `font` and a small-icon list.
void SetUpAlarmList(HWND list, std::span<const ReportColumn> columns, HFONT font, HIMAGELIST icons);
// Replaces every row; each row's icon comes from its executable's path.
void FillAlarmList(HWND list, HIMAGELIST icons, const std::vector<AlarmRow>& rows);
// The selected row's index, or -1.
int SelectedRow(HWND list);

// Menu 202's commands at the cursor, plus "查看报警信息" when `withAlarmInfo`; the row commands are
// greyed without a row. The chosen command, or 0.
UINT TrackProcessMenu(HWND owner, bool haveRow, bool withAlarmInfo);
// 32776 and 32779 through the registered openers; 32800 asks first and ends the process. True when
// the process was ended.
bool RunProcessCommand(HWND owner, UINT command, const AlarmRow& row);

}  // namespace ui
