#include "alarm/alarm_popup_window.h"
#include "ui/alarm_popup.h"

namespace ui {

void RegisterAlarmPopup() {
    alarming::RegisterAlarmPopupWindow(&alarming::HeadlessAlarmPopupWindow());
}

}  // namespace ui
