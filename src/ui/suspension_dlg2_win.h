#pragma once

// The floating speed window: a borderless, always-on-top strip of 170 x 25 pixels with one traffic
// figure and the status button. It is the program's permanent face: it receives the private messages of
// the other threads and of the accelerator, carries the program's context menu, steps aside for
// full-screen applications, and its WM_CLOSE ends the program. One instance per process.
//
// Threads: everything runs on the thread that created the window, except the members marked "any
// thread", which reach that thread through posted messages or asynchronous calls.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "alarm/program_directory.h"
#include "base/scoped_handle_win.h"
#include "skin/bitmap_button_win.h"
#include "skin/ctrl_color_win.h"
#include "skin/dialog_base_win.h"
#include "skin/gdi_win.h"
#include "ui/floating_state.h"
#include "ui/rate_sampler.h"

namespace ui {

class CSuspensionDlg2 final : public skin::Dialog, public skin::CCtrlColor<0, 0xF6FBF3> {
  public:
    // `onClose` runs on WM_CLOSE, before the loop is told to end: the service's stop and destruction.
    // `reportAcceleratorTraffic` takes the accelerator's reports (UM_ACCEL_ADAPTER) to the engine.
    CSuspensionDlg2(alarming::ProgramDirectory directory, std::function<void()> onClose,
                    std::function<void(std::uint32_t, std::uint32_t)> reportAcceleratorTraffic);
    ~CSuspensionDlg2() override;

    // Creates the window without owner and applies `showCommand` through ShowFloating. False when the
    // window cannot be made.
    [[nodiscard]] bool CreateFloating(int showCommand);

    // Any thread. SW_SHOW and the like become SW_HIDE while the settings file says the strip is hidden.
    void ShowFloating(int showCommand);

    // Figures over the nine traffic quantities (1..9), for the strip and the main window's header.
    std::u16string RateText(int index);
    std::u16string VolumeText(int index);

    // Any thread: HasUnhandledAlarm changed; the status button blinks while it is set.
    void PostAlarmStateChange();
    // Any thread: the exit's step before the close; the owned pop-ups close and the timers stop.
    void PostCloseOwnedPopups();
    // Any thread: the window, null before it is made and after it is gone.
    HWND Window() const { return window_.load(std::memory_order_acquire); }

    // What the status button shows now, and the context menu's popup (for the GUI tests).
    StatusImage ShownStatusImage() const { return shownImage_.load(std::memory_order_relaxed); }
    HMENU ContextMenuPopup() const;

  protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    static constexpr UINT_PTR kTextTimer = 1;
    static constexpr UINT_PTR kBlinkTimer = 2;
    static constexpr UINT_PTR kTopmostTimer = 3;

    bool OnInitDialog();
    void OnTimer(UINT_PTR id);
    bool OnCommand(WORD id, WORD code);
    void OnContextMenu();
    void OnStatusButton();
    void OnAppBarNotify(WPARAM code, LPARAM argument);
    void OnAccelAdapter(WPARAM sent, LPARAM received);
    void OnAlarmStateChange();
    void OnShowBlackList();
    void CloseOwnedPopups();
    void OnClose();
    void OnDestroy();

    // Steps of OnInitDialog, in its order.
    void SetIcons(HINSTANCE instance);
    void BuildBackground();
    void MakeStripStyle();
    void SetUpTextLine();
    void SetUpStatusButton();
    void MoveToInitialPosition();
    void RoundCorners();
    void RegisterAppBar();

    void UpdateTextLine();
    void SetStatusImage(StatusImage image);
    void ShowAccelerator();
    void HideForSettings();
    void ToggleAlarms();
    void CloseAccelerator();

    alarming::ProgramDirectory directory_;
    std::function<void()> onClose_;
    std::function<void(std::uint32_t, std::uint32_t)> reportAcceleratorTraffic_;
    std::atomic<HWND> window_{nullptr};
    int initialShowCommand_ = SW_SHOW;
    bool closing_ = false;

    HWND textLine_ = nullptr;
    skin::Font font_;
    skin::CBitmapButton statusButton_;
    base::ScopedImageList alertImageA_;
    base::ScopedImageList alertImageB_;
    base::ScopedImageList normalImage_;
    std::atomic<StatusImage> shownImage_{StatusImage::kNormal};
    base::ScopedMenu contextMenu_;
    bool appBarRegistered_ = false;

    RateSampler sampler_;
    AlarmBlink blink_;
    FullScreenTracker fullScreen_;
    bool topmostPhase_ = false;
    // The high-bandwidth pop-ups opened here that may still be open; they close with the program.
    std::vector<HWND> openBlackListDialogs_;
};

// The process-wide floating window, null while none exists.
CSuspensionDlg2* FloatingWindow();

}  // namespace ui
