#pragma once

// "本机流量信息": the machine's figures since the monitoring started, as they were when the dialog
// opened.

#include <windows.h>

#include "ui/detail_dialog_win.h"

namespace ui {

class CMachineTrafficDlg final : public DetailDialog {
  public:
    CMachineTrafficDlg();

  protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

// Runs the dialog modally over `owner`: how it ended.
INT_PTR ShowMachineTrafficDialog(HWND owner);

}  // namespace ui
