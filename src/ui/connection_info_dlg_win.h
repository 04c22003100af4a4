#pragma once

// "进程连接详细信息": the connections of one process or of every process, as they were when the
// dialog opened.

#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <map>

#include "skin/gdi_win.h"
#include "ui/detail_dialog_win.h"

namespace ui {

class CProConInfoDlg final : public DetailDialog {
  public:
    static constexpr int kOneProcess = 1;
    static constexpr int kAllProcesses = 2;

    // `record`: the engine record of the process (mode kOneProcess); not used for kAllProcesses.
    CProConInfoDlg(std::size_t record, int mode);

  protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void FillList();
    int IconOf(std::uint32_t pid, const std::u16string& path);

    std::size_t record_;
    int mode_;
    skin::Font font_;
    HIMAGELIST icons_ = nullptr;  // the list's
    std::map<std::uint32_t, int> iconOfPid_;
};

}  // namespace ui
