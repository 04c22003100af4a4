#include "ui/traffic_page_win.h"

#include "res/resource_ids.h"

namespace ui {

CDlgTrafficMonitor::CDlgTrafficMonitor() : skin::Dialog(IDD_TRAFFIC_PAGE) {}

bool CDlgTrafficMonitor::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (ProcessCtrlColor(message, wParam, lParam, result)) {
        return true;
    }
    return skin::Dialog::HandleMessage(message, wParam, lParam, result);
}

}  // namespace ui
