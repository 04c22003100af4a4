#include "ui/common_controls_win.h"

#include <windows.h>

#include <commctrl.h>

namespace ui {

void RegisterCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
}

}  // namespace ui
