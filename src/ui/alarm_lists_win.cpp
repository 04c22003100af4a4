#include "ui/alarm_lists_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include "alarm/black_list_detector.h"
#include "base/scoped_handle_win.h"
#include "base/text.h"
#include "base/wide_win.h"
#include "res/resource_ids.h"
#include "skin/message_box_win.h"

namespace ui {
namespace {

ProcessDialogOpeners& Openers() {
    static ProcessDialogOpeners openers;
    return openers;
}

int AddIcon(HIMAGELIST icons, const std::u16string& path) {
    SHFILEINFOW info{};
    if (path.empty() ||
        ::SHGetFileInfoW(base::Wide(path), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON) == 0 ||
        info.hIcon == nullptr) {
        return -1;
    }
    const int index = ImageList_AddIcon(icons, info.hIcon);
    ::DestroyIcon(info.hIcon);
    return index;
}

}  // namespace

void SetProcessDialogOpeners(ProcessDialogOpeners openers) {
    Openers() = std::move(openers);
}

const ProcessDialogOpeners& GetProcessDialogOpeners() {
    return Openers();
}

void SetUpAlarmList(HWND list, std::span<const ReportColumn> columns, HFONT font, HIMAGELIST icons) {
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    if (font != nullptr) {
        ::SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    ListView_SetImageList(list, icons, LVSIL_SMALL);
    AddReportColumns(list, columns);
}

void FillAlarmList(HWND list, HIMAGELIST icons, const std::vector<AlarmRow>& rows) {
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    if (icons != nullptr) {
        ImageList_RemoveAll(icons);
    }
    HWND header = ListView_GetHeader(list);
    const int columns = header != nullptr ? Header_GetItemCount(header) : 1;
    int index = 0;
    for (const AlarmRow& row : rows) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = index;
        item.iImage = row.hasIcon && icons != nullptr ? AddIcon(icons, row.path) : -1;
        std::u16string name = row.texts[0];
        item.pszText = base::Wide(name.data());
        const int at = ListView_InsertItem(list, &item);
        for (int column = 1; at >= 0 && column < columns && column < kAlarmRowColumnCount; ++column) {
            std::u16string text = row.texts[static_cast<std::size_t>(column)];
            ListView_SetItemText(list, at, column, base::Wide(text.data()));
        }
        ++index;
    }
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

int SelectedRow(HWND list) {
    return ListView_GetNextItem(list, -1, LVNI_SELECTED);
}

UINT TrackProcessMenu(HWND owner, bool haveRow, bool withAlarmInfo) {
    base::ScopedMenu menu(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_PROCESS_MENU)));
    HMENU popup = menu.Get() != nullptr ? ::GetSubMenu(menu.Get(), 0) : nullptr;
    if (popup == nullptr) {
        return 0;
    }
    if (!haveRow) {
        for (const UINT id : {ID_PROCESS_TRAFFIC, ID_PROCESS_CONNECTIONS, ID_END_PROCESS}) {
            ::EnableMenuItem(popup, id, MF_BYCOMMAND | MF_GRAYED);
        }
    }
    if (withAlarmInfo) {
        ::AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(popup, MF_STRING, ID_SHOW_ALARM_INFO, L"查看报警信息");
    }
    POINT cursor{};
    ::GetCursorPos(&cursor);
    // The menu closes on a click elsewhere only when its owner is in the foreground.
    ::SetForegroundWindow(owner);
    const UINT command = static_cast<UINT>(::TrackPopupMenu(
        popup, TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, cursor.x, cursor.y, 0, owner, nullptr));
    ::PostMessageW(owner, WM_NULL, 0, 0);
    return command;
}

bool RunProcessCommand(HWND owner, UINT command, const AlarmRow& row) {
    const ProcessDialogOpeners& openers = GetProcessDialogOpeners();
    switch (command) {
        case ID_PROCESS_TRAFFIC:
            if (openers.traffic) {
                openers.traffic(owner, row.pid, row.texts[0]);
            }
            return false;
        case ID_PROCESS_CONNECTIONS:
            if (openers.connections) {
                openers.connections(owner, row.pid, row.texts[0]);
            }
            return false;
        case ID_END_PROCESS: {
            const std::u16string question = u"您确定要关闭" + row.texts[0] + u"进程吗？";
            if (skin::SkinnedMessageBox(owner, base::Utf16ToGbk(question).c_str(),
                                        base::Utf16ToGbk(u"结束进程").c_str(),
                                        MB_YESNO | MB_ICONQUESTION) != IDYES) {
                return false;
            }
            alarming::EndEngineProcess(row.pid);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace ui
