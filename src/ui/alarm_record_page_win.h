#pragma once

// The main window's second page: the alarm history.

#include <windows.h>

#include "skin/ctrl_color_win.h"
#include "skin/dialog_base_win.h"

namespace ui {

class CDlgAlarmRecord final : public skin::Dialog, public skin::CCtrlColor<1, 0xFFFFFF> {
  public:
    CDlgAlarmRecord();
    // The page is made with skin::Dialog::Create(mainWindow), as a hidden child.
};

}  // namespace ui
