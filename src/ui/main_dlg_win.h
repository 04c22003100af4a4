#pragma once

// The main window "进程流量监控": a status header over two pages that share one frame, the process
// traffic list and the alarm history, switched by two tab buttons. It is opened on demand, modally (the
// plugin's request) or modeless (the floating window's menu and status button); a modeless one deletes
// itself when its window is gone. Everything here runs on the user interface thread.

#include <windows.h>

#include <memory>

#include "base/scoped_handle_win.h"
#include "skin/bitmap_button_win.h"
#include "skin/border_window_win.h"
#include "skin/dialog_x_win.h"
#include "skin/gdi_win.h"

namespace ui {

class CDlgTrafficMonitor;
class CDlgAlarmRecord;

// The main window accepts this command to open the machine traffic dialog; no control of its own
// sends it.
inline constexpr WORD kMachineTrafficCommand = 6;

class CMainDlg final : public skin::SkinnedDialog<skin::CDialogX<3>, skin::CCtrlColor<0, 0xF6FBF3>> {
  public:
    explicit CMainDlg(bool modeless);
    ~CMainDlg() override;

    // 0: the traffic list, 1: the alarm history.
    int ActivePage() const { return activePage_; }

  protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnFinalMessage() override;

  private:
    static constexpr UINT_PTR kStatusTimer = 1;

    bool OnInitDialog();
    bool OnCommand(WORD id, WORD code);
    void OnPaint();
    // Closes the window: `fromClose` for WM_CLOSE and the caption's close button, else the OK command.
    void Close(bool fromClose);
    void CleanUp();

    // Steps of OnInitDialog, in its order.
    void BuildHeaderAndPages();
    void SetUpTabs();
    void SetUpHeader();
    void CreatePages();
    void ApplyLayout();
    void BuildBackground();

    void RefreshStatus();
    void SwitchPage(int page);
    void ShowTabFace(int page, bool selected);
    // The frame's top edge is open under the active tab, which thus joins its page.
    void OpenFrameUnderTab();

    bool modeless_;
    int activePage_ = 0;
    bool timerRunning_ = false;
    std::unique_ptr<CDlgTrafficMonitor> trafficPage_;
    std::unique_ptr<CDlgAlarmRecord> alarmPage_;
    skin::CBitmapButton tabButtons_[2];
    HWND stateIcon_ = nullptr;
    HWND description_ = nullptr;
    HWND leftFigure_ = nullptr;
    HWND rightFigure_ = nullptr;
    skin::CBorderWindow pageFrame_;
    skin::Bitmap iconNormal_;
    skin::Bitmap iconAbnormal_;
    bool abnormalShown_ = false;
    skin::Font tabFont_;
    skin::Font descriptionFont_;
    skin::Font figureFont_;
    base::ScopedGdiObject<HPEN> tabLinePen_;
};

// Opens the main window for the plugin's request: an open one (found by its title) comes to the front
// without staying there; otherwise a new one runs modally here.
void OpenMainWindowModal();

// Opens the main window for the floating window's menu and status button: an open one (found by its
// tag) comes to the top; otherwise a new one is made modeless and shown.
void OpenMainWindowModeless();

}  // namespace ui
