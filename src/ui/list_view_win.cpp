#include "ui/list_view_win.h"

#include <vector>

#include "base/wide_win.h"
#include "skin/gdi_win.h"

namespace ui {
namespace {

constexpr int kIconSize = 16;

}  // namespace

HFONT MakeListFont() {
    return skin::MakeFont(L"宋体", 13, FW_NORMAL, GB2312_CHARSET);
}

void AddReportColumns(HWND list, std::span<const ReportColumn> columns) {
    int index = 0;
    for (const ReportColumn& entry : columns) {
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = entry.width;
        column.pszText = const_cast<wchar_t*>(entry.title);
        column.iSubItem = index;
        ListView_InsertColumn(list, index, &column);
        ++index;
    }
}

HIMAGELIST SetUpReportList(HWND list, HFONT font, std::span<const ReportColumn> columns) {
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    ::SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    AddReportColumns(list, columns);
    HIMAGELIST icons = ::ImageList_Create(kIconSize, kIconSize, ILC_COLOR32 | ILC_MASK, 8, 8);
    if (icons != nullptr) {
        ListView_SetImageList(list, icons, LVSIL_SMALL);
    }
    return icons;
}

int AppendListRow(HWND list, LPARAM data, int image, std::span<const std::u16string> texts) {
    if (texts.empty()) {
        return -1;
    }
    std::u16string first = texts.front();
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = ListView_GetItemCount(list);
    item.pszText = base::Wide(first.data());
    item.lParam = data;
    item.iImage = image >= 0 ? image : I_IMAGENONE;
    const int index = ListView_InsertItem(list, &item);
    if (index < 0) {
        return -1;
    }
    for (std::size_t column = 1; column < texts.size(); ++column) {
        SetListText(list, index, static_cast<int>(column), texts[column]);
    }
    return index;
}

void SetListText(HWND list, int index, int column, const std::u16string& text) {
    std::u16string copy = text;
    ListView_SetItemText(list, index, column, base::Wide(copy.data()));
}

std::u16string ListText(HWND list, int index, int column, std::size_t capacity) {
    std::vector<wchar_t> buffer(capacity, L'\0');
    ListView_GetItemText(list, index, column, buffer.data(), static_cast<int>(capacity));
    return base::FromWide(buffer.data());
}

int FindListRow(HWND list, LPARAM data) {
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM;
    find.lParam = data;
    return ListView_FindItem(list, -1, &find);
}

}  // namespace ui
