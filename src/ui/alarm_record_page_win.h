#pragma once

// The main window's second page: the alarm history, rebuilt when it opens and every 10 s, with the
// process context menu. Its menu also opens the alarm information dialog.

#include <windows.h>

#include <vector>

#include "base/scoped_handle_win.h"
#include "skin/ctrl_color_win.h"
#include "skin/dialog_base_win.h"
#include "skin/gdi_win.h"
#include "ui/alarm_record_rows.h"

namespace ui {

class CDlgAlarmRecord final : public skin::Dialog, public skin::CCtrlColor<1, 0xFFFFFF> {
  public:
    CDlgAlarmRecord();
    // The page is made with skin::Dialog::Create(mainWindow), as a hidden child.

    // The list anew from the alarm history and the engine's records.
    void Rebuild();
    const std::vector<AlarmRow>& Rows() const { return rows_; }

  protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    static constexpr UINT_PTR kRebuildTimer = 11;

    void OnInitDialog();
    void OnListNotify(const NMHDR& header);
    void OnContextMenu();
    HWND List() const;

    skin::Font font_;
    base::ScopedImageList icons_;
    std::vector<AlarmRow> rows_;
};

}  // namespace ui
