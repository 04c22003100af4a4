#pragma once

// The alarm information dialog: the alarm history and a fresh black-list detection side by side, with
// the history page's double click and context menu on both lists.

#include <windows.h>

#include <memory>
#include <vector>

#include "base/scoped_handle_win.h"
#include "skin/button2x_win.h"
#include "skin/dialog_x_win.h"
#include "skin/gdi_win.h"
#include "ui/alarm_record_rows.h"

namespace ui {

class CAlarmInfoDlg final : public skin::SkinnedDialog<skin::CDialogX<0>, skin::CCtrlColor<0, 0xF6FBF3>> {
  public:
    CAlarmInfoDlg();

    const std::vector<AlarmRow>& HistoryRows() const { return historyRows_; }
    const std::vector<AlarmRow>& DetectedRows() const { return detectedRows_; }

  protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void OnInitDialog();
    void Fill();
    void OnListNotify(const NMHDR& header);
    std::vector<AlarmRow>* RowsOf(UINT_PTR listId);

    skin::Font font_;
    skin::Bitmap buttonFace_;
    skin::CButton2X okButton_;
    base::ScopedImageList historyIcons_;
    base::ScopedImageList detectedIcons_;
    std::vector<AlarmRow> historyRows_;
    std::vector<AlarmRow> detectedRows_;
};

// Runs the dialog modally, unless a top-level window titled "报警信息" exists: that one is shown again
// where it is and 0 is answered. Otherwise the dialog's result.
INT_PTR ShowAlarmInfoDialog(HWND owner);

}  // namespace ui
