#pragma once

// The main window's first page: the list of processes that used the network, refreshed once a second,
// with a context menu for the detail dialogs and for ending a process.

#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <optional>
#include <unordered_map>

#include "base/scoped_handle_win.h"
#include "engine/traffic_snapshots.h"
#include "skin/ctrl_color_win.h"
#include "skin/dialog_base_win.h"
#include "skin/gdi_win.h"
#include "ui/process_list_model.h"

namespace ui {

class CDlgTrafficMonitor final : public skin::Dialog, public skin::CCtrlColor<1, 0xFFFFFF> {
  public:
    CDlgTrafficMonitor();
    // The page is made with skin::Dialog::Create(mainWindow), as a hidden child.

    // The process list; null while the page does not exist.
    HWND List() const { return list_; }

  protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    static constexpr UINT_PTR kRefreshTimer = 10;

    void OnInitDialog();
    void Refresh();
    void AddRow(const ListChange& change);
    void UpdateRow(const ListChange& change);
    void RemoveRow(std::size_t record);
    bool OnNotify(const NMHDR& header);
    void SortByColumn(int column);
    void OnContextMenu();
    bool OnCommand(WORD id);
    void ShowProcessTraffic();
    void ShowConnections();
    void EndSelectedProcess();
    // The record of the first selected row, read now; nothing without a selection.
    std::optional<engine::ProcessRow> SelectedProcess() const;
    void OnClose();

    HWND list_ = nullptr;
    skin::Font font_;
    HIMAGELIST icons_ = nullptr;  // the list's: it goes with the list
    base::ScopedMenu menu_;
    ProcessListModel model_;
    // Rows carry an identifier of their own as item data, which sorting keeps.
    std::unordered_map<LPARAM, std::size_t> rowToRecord_;
    std::unordered_map<std::size_t, LPARAM> recordToRow_;
    LPARAM nextRowId_ = 1;
    int sortOrder_ = 0;
};

}  // namespace ui
