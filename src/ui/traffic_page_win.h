#pragma once

// The main window's first page: the list of processes that used the network, refreshed once a second,
// with a context menu for the detail dialogs and for ending a process.

#include <windows.h>

#include "skin/ctrl_color_win.h"
#include "skin/dialog_base_win.h"

namespace ui {

class CDlgTrafficMonitor final : public skin::Dialog, public skin::CCtrlColor<1, 0xFFFFFF> {
  public:
    CDlgTrafficMonitor();
    // The page is made with skin::Dialog::Create(mainWindow), as a hidden child.

  protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

}  // namespace ui
