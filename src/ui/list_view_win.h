#pragma once

// Report-style list views as the process list and the connection list use them: full-row select, grid
// lines, "宋体" 13, fixed columns and a small image list of 16 x 16 icons.

#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <span>
#include <string>

namespace ui {

struct ReportColumn {
    const wchar_t* title;
    int width;
};

// "宋体", height 13, weight 400, GB2312; the caller owns it and keeps it while the list lives.
HFONT MakeListFont();

// Appends the columns, left-aligned, in their order.
void AddReportColumns(HWND list, std::span<const ReportColumn> columns);

// Styles, font and columns; the small image list it makes belongs to the list, which destroys it.
HIMAGELIST SetUpReportList(HWND list, HFONT font, std::span<const ReportColumn> columns);

// Appends a row: the first text with `image` (-1: none) and the item data `data`, then the others. The
// row's index, or -1.
int AppendListRow(HWND list, LPARAM data, int image, std::span<const std::u16string> texts);
void SetListText(HWND list, int index, int column, const std::u16string& text);
// A cell's text, at most `capacity` - 1 characters.
std::u16string ListText(HWND list, int index, int column, std::size_t capacity = 256);
// The row holding item data `data`, or -1.
int FindListRow(HWND list, LPARAM data);

}  // namespace ui
