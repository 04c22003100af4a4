#include "ui/traffic_page_win.h"

#include <string>
#include <vector>

#include "alarm/black_list_detector.h"
#include "base/system_time.h"
#include "base/text.h"
#include "res/resource_ids.h"
#include "skin/message_box_win.h"
#include "ui/connection_info_dlg_win.h"
#include "ui/detail_dialog_win.h"
#include "ui/list_view_win.h"
#include "ui/process_icons_win.h"
#include "ui/process_traffic_dlg_win.h"
#include "ui/suspension_dlg2_win.h"

namespace ui {
namespace {

constexpr UINT kRefreshPeriodMs = 1000;
constexpr int kListX = 10;
constexpr int kListY = 10;
constexpr int kListWidth = 510;
constexpr int kListHeight = 360;
constexpr std::size_t kReservedRows = 1000;
constexpr std::size_t kSortTextCapacity = 256;

constexpr ReportColumn kColumns[kListColumnCount] = {
    {L"进程名称", 120},  {L"下载速度", 80},   {L"上传速度", 80},
    {L"已下载流量", 80}, {L"已上传流量", 80}, {L"连接数", 60},
};

struct SortContext {
    int column;
    int order;
    const std::unordered_map<LPARAM, std::u16string>* texts;
};

int CALLBACK CompareRows(LPARAM first, LPARAM second, LPARAM context) {
    const auto& sort = *reinterpret_cast<const SortContext*>(context);
    const auto a = sort.texts->find(first);
    const auto b = sort.texts->find(second);
    if (a == sort.texts->end() || b == sort.texts->end()) {
        return 1;
    }
    return CompareListTexts(sort.column, a->second, b->second, sort.order);
}

}  // namespace

CDlgTrafficMonitor::CDlgTrafficMonitor() : skin::Dialog(IDD_TRAFFIC_PAGE) {}

bool CDlgTrafficMonitor::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog();
            result = TRUE;
            return true;
        case WM_TIMER:
            if (wParam == kRefreshTimer) {
                Refresh();
                result = 0;
                return true;
            }
            break;
        case WM_NOTIFY:
            if (OnNotify(*reinterpret_cast<const NMHDR*>(lParam))) {
                result = 0;
                return true;
            }
            break;
        case WM_COMMAND:
            // Enter and Esc must not end a page.
            if (OnCommand(LOWORD(wParam)) || LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                result = 0;
                return true;
            }
            break;
        case WM_CLOSE:
            OnClose();
            result = 0;
            return true;
        case WM_DESTROY:
            ::KillTimer(Handle(), kRefreshTimer);
            list_ = nullptr;
            icons_ = nullptr;
            break;
        default:
            break;
    }
    if (ProcessCtrlColor(message, wParam, lParam, result)) {
        return true;
    }
    return skin::Dialog::HandleMessage(message, wParam, lParam, result);
}

void CDlgTrafficMonitor::OnInitDialog() {
    RegisterBrush(Handle(), ::CreateSolidBrush(RGB(255, 255, 255)));
    list_ = Item(IDC_PAGE_LIST);
    ::MoveWindow(list_, kListX, kListY, kListWidth, kListHeight, FALSE);
    font_.Reset(MakeListFont());
    icons_ = SetUpReportList(list_, font_.Get(), kColumns);
    menu_.Reset(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_PROCESS_MENU)));
    rowToRecord_.reserve(kReservedRows);
    recordToRow_.reserve(kReservedRows);
    ::SetTimer(Handle(), kRefreshTimer, kRefreshPeriodMs, nullptr);
}

void CDlgTrafficMonitor::Refresh() {
    if (list_ == nullptr) {
        return;
    }
    const engine::TrafficTotals totals = engine::ReadTrafficTotals();
    const std::vector<engine::ProcessRow> rows = engine::ReadProcessRows();
    for (const ListChange& change :
         model_.Refresh(rows, totals.localUp + totals.localDown, base::LocalNow())) {
        switch (change.kind) {
            case ListChange::Kind::kAdd:
                AddRow(change);
                break;
            case ListChange::Kind::kUpdate:
                UpdateRow(change);
                break;
            case ListChange::Kind::kRemove:
                RemoveRow(change.record);
                break;
        }
    }
}

void CDlgTrafficMonitor::AddRow(const ListChange& change) {
    const int image = AddProcessIcon(icons_, change.pid, change.path, IconSource::kExecutable);
    const LPARAM id = nextRowId_++;
    if (AppendListRow(list_, id, image, change.texts) < 0) {
        return;
    }
    rowToRecord_[id] = change.record;
    recordToRow_[change.record] = id;
}

void CDlgTrafficMonitor::UpdateRow(const ListChange& change) {
    const auto row = recordToRow_.find(change.record);
    if (row == recordToRow_.end()) {
        return;
    }
    // A row that cannot be found waits for the next refresh.
    const int index = FindListRow(list_, row->second);
    if (index < 0) {
        return;
    }
    for (int column = kDownRateColumn; column < kListColumnCount; ++column) {
        const std::u16string& text = change.texts[static_cast<std::size_t>(column)];
        if (ListText(list_, index, column) != text) {
            SetListText(list_, index, column, text);
        }
    }
}

void CDlgTrafficMonitor::RemoveRow(std::size_t record) {
    const auto row = recordToRow_.find(record);
    if (row == recordToRow_.end()) {
        return;
    }
    const int index = FindListRow(list_, row->second);
    if (index >= 0) {
        ListView_DeleteItem(list_, index);
    }
    rowToRecord_.erase(row->second);
    recordToRow_.erase(row);
}

bool CDlgTrafficMonitor::OnNotify(const NMHDR& header) {
    if (header.hwndFrom != list_ || list_ == nullptr) {
        return false;
    }
    switch (header.code) {
        case LVN_COLUMNCLICK:
            SortByColumn(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
            return true;
        case NM_RCLICK:
            OnContextMenu();
            return true;
        default:
            return false;
    }
}

void CDlgTrafficMonitor::SortByColumn(int column) {
    if (column < 0 || column >= kListColumnCount) {
        return;
    }
    sortOrder_ = sortOrder_ == 1 ? -1 : 1;
    // The texts are read before the sort: the list must not be asked while it moves its rows.
    std::unordered_map<LPARAM, std::u16string> texts;
    const int count = ListView_GetItemCount(list_);
    texts.reserve(static_cast<std::size_t>(count));
    for (int index = 0; index < count; ++index) {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = index;
        if (ListView_GetItem(list_, &item)) {
            texts[item.lParam] = ListText(list_, index, column, kSortTextCapacity);
        }
    }
    SortContext context{column, sortOrder_, &texts};
    ListView_SortItems(list_, CompareRows, reinterpret_cast<LPARAM>(&context));
}

void CDlgTrafficMonitor::OnContextMenu() {
    HMENU popup = menu_ ? ::GetSubMenu(menu_.Get(), 0) : nullptr;
    if (popup == nullptr) {
        return;
    }
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, Handle(), nullptr);
}

bool CDlgTrafficMonitor::OnCommand(WORD id) {
    switch (id) {
        case ID_PROCESS_TRAFFIC:
            ShowProcessTraffic();
            return true;
        case ID_PROCESS_CONNECTIONS:
            ShowConnections();
            return true;
        case ID_END_PROCESS:
            EndSelectedProcess();
            return true;
        default:
            return false;
    }
}

std::optional<engine::ProcessRow> CDlgTrafficMonitor::SelectedProcess() const {
    const int index = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (index < 0 || index >= ListView_GetItemCount(list_)) {
        return std::nullopt;
    }
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!ListView_GetItem(list_, &item)) {
        return std::nullopt;
    }
    const auto record = rowToRecord_.find(item.lParam);
    if (record == rowToRecord_.end()) {
        return std::nullopt;
    }
    auto detail = engine::ReadProcessDetail(record->second);
    if (!detail.has_value()) {
        return std::nullopt;
    }
    return std::move(detail->process);
}

void CDlgTrafficMonitor::ShowProcessTraffic() {
    const auto process = SelectedProcess();
    if (!process.has_value()) {
        const std::string text = base::Utf16ToGbk(u"请选择一行");
        skin::SkinnedMessageBox(Handle(), text.c_str(), nullptr, 0);
        return;
    }
    CProTraDlg dialog(*process);
    if (dialog.DoModal(DetailDialogOwner(Handle())) == IDC_PROCESS_END) {
        RemoveRow(process->record);
        model_.Forget(process->record);
    }
}

void CDlgTrafficMonitor::ShowConnections() {
    const auto process = SelectedProcess();
    CProConInfoDlg dialog(process.has_value() ? process->record : 0,
                          process.has_value() ? CProConInfoDlg::kOneProcess : CProConInfoDlg::kAllProcesses);
    dialog.DoModal(DetailDialogOwner(Handle()));
}

void CDlgTrafficMonitor::EndSelectedProcess() {
    const auto process = SelectedProcess();
    if (!process.has_value() || !ConfirmEndProcess(Handle(), process->name)) {
        return;
    }
    // The record is marked exited: the next refresh takes the row away.
    alarming::EndEngineProcess(process->pid);
}

void CDlgTrafficMonitor::OnClose() {
    ::KillTimer(Handle(), kRefreshTimer);
    EndDialog(0);
    font_.Reset();
    if (CSuspensionDlg2* floating = FloatingWindow(); floating != nullptr) {
        floating->ShowFloating(SW_SHOW);
    }
}

}  // namespace ui
