#include "ui/process_dialogs_win.h"

#include <optional>

#include "engine/process_records.h"
#include "engine/traffic_snapshots.h"
#include "ui/alarm_lists_win.h"
#include "ui/connection_info_dlg_win.h"
#include "ui/process_traffic_dlg_win.h"

namespace ui {
namespace {

std::optional<engine::ProcessRow> RunningProcess(std::uint32_t pid) {
    for (engine::ProcessRow& row : engine::ReadProcessRows()) {
        if (row.pid == pid && row.state == engine::kStateRunning) {
            return std::move(row);
        }
    }
    return std::nullopt;
}

}  // namespace

INT_PTR OpenProcessTrafficDialog(HWND owner, std::uint32_t pid) {
    auto process = RunningProcess(pid);
    if (!process.has_value()) {
        return 0;
    }
    CProTraDlg dialog(std::move(*process));
    return dialog.DoModal(owner);
}

INT_PTR OpenProcessConnectionsDialog(HWND owner, std::uint32_t pid) {
    const auto process = RunningProcess(pid);
    if (!process.has_value()) {
        return 0;
    }
    CProConInfoDlg dialog(process->record, CProConInfoDlg::kOneProcess);
    return dialog.DoModal(owner);
}

void RegisterProcessDialogOpeners() {
    SetProcessDialogOpeners({
        .traffic = [](HWND owner, std::uint32_t pid,
                      const std::u16string&) { OpenProcessTrafficDialog(owner, pid); },
        .connections = [](HWND owner, std::uint32_t pid,
                          const std::u16string&) { OpenProcessConnectionsDialog(owner, pid); },
    });
}

}  // namespace ui
