#include "ui/connection_info_dlg_win.h"

#include <vector>

#include "base/system_time.h"
#include "engine/traffic_snapshots.h"
#include "res/resource_ids.h"
#include "ui/list_view_win.h"
#include "ui/process_icons_win.h"
#include "ui/process_list_model.h"

namespace ui {
namespace {

constexpr ReportColumn kColumns[kConnectionColumnCount] = {
    {L"进程名称", 80}, {L"PID", 40},      {L"协议", 40},        {L"本地IP", 80},      {L"本地端口", 80},
    {L"目的IP", 80},   {L"目的端口", 80}, {L"已下载流量", 100}, {L"已上传流量", 100}, {L"下载速度", 80},
    {L"上传速度", 80}, {L"状态", 80},     {L"开始时间", 80},    {L"结束时间", 80},
};

}  // namespace

CProConInfoDlg::CProConInfoDlg(std::size_t record, int mode)
    : DetailDialog(IDD_PROCESS_CONNECTIONS, u"进程连接详细信息"), record_(record), mode_(mode) {}

bool CProConInfoDlg::OnMessage(UINT message, WPARAM, LPARAM, LRESULT&) {
    if (message == WM_INITDIALOG) {
        SetUpDetailFrame(IDOK);
        font_.Reset(MakeListFont());
        icons_ = SetUpReportList(Item(IDC_CONNECTION_LIST), font_.Get(), kColumns);
        FillList();
    }
    return false;
}

void CProConInfoDlg::FillList() {
    std::vector<engine::ProcessDetail> processes;
    if (mode_ == kOneProcess) {
        if (auto detail = engine::ReadProcessDetail(record_); detail.has_value()) {
            processes.push_back(std::move(*detail));
        }
    } else {
        processes = engine::ReadAllProcessDetails();
    }
    HWND list = Item(IDC_CONNECTION_LIST);
    for (const ConnectionListRow& row : ConnectionListRows(processes, base::LocalNow())) {
        AppendListRow(list, 0, IconOf(row.pid, row.path), row.texts);
    }
}

int CProConInfoDlg::IconOf(std::uint32_t pid, const std::u16string& path) {
    // One image per process, however many connections it has.
    const auto found = iconOfPid_.find(pid);
    if (found != iconOfPid_.end()) {
        return found->second;
    }
    const int image = AddProcessIcon(icons_, pid, path, IconSource::kShell);
    iconOfPid_.emplace(pid, image);
    return image;
}

}  // namespace ui
