#pragma once

// The high-bandwidth process pop-up "高带宽进程检测": the running processes of the black list, with
// their detail dialogs and the way to end them. Modeless on the floating window's thread, at the bottom
// right of the screen; it closes itself once the mouse has left it and nothing opened from it is up.
// The object owns itself: it goes with its window.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "skin/dialog_x_win.h"

namespace ui {

class CBackListAlarmDlg final : public skin::SkinnedDialog<skin::CDialogX<3>, skin::CCtrlColor<0, 0xF6FBF3>> {
  public:
    struct Row {
        std::u16string name;
        std::uint32_t pid = 0;
    };

    // Detects and, when something runs, creates the window, shows it and answers it; null otherwise
    // (no object is left behind then).
    static HWND Open();

    const std::vector<Row>& Rows() const { return rows_; }

  protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnFinalMessage() override { delete this; }

  private:
    static constexpr UINT_PTR kLeaveTimer = 1;

    CBackListAlarmDlg();
    void OnInitDialog();
    void Fill();
    void OnListNotify(const NMHDR& header);
    void RunCommand(UINT command, std::size_t row);
    void Close();

    std::vector<Row> rows_;
    // A menu, message box or detail dialog of the pop-up is up: it stays while it is.
    int busy_ = 0;
    bool closePending_ = false;
};

// How long the pop-up waits between looks whether the mouse has left it (8 s). Tests shorten it.
void SetBlackListLeaveCheckPeriod(UINT milliseconds);

}  // namespace ui
