#pragma once

// "进程流量信息": one process's figures as they were when the dialog opened, with the way to its
// connections and to ending it.

#include <windows.h>

#include "engine/traffic_snapshots.h"
#include "ui/detail_dialog_win.h"

namespace ui {

class CProTraDlg final : public DetailDialog {
  public:
    explicit CProTraDlg(engine::ProcessRow process);

  protected:
    // Runs modally; ends with IDC_PROCESS_END when the process was ended from here.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void ShowValues();
    void EndProcess();

    engine::ProcessRow process_;
};

}  // namespace ui
