#include "ui/alarm_record_page_win.h"

#include "res/resource_ids.h"

namespace ui {

CDlgAlarmRecord::CDlgAlarmRecord() : skin::Dialog(IDD_ALARM_RECORD_PAGE) {}

}  // namespace ui
