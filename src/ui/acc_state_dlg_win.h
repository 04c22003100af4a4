#pragma once

// The acceleration-state pop-up "Zelvan 加速状态": the accelerated game, the traffic figures and the
// processes of the unhandled alarms, with the ways to ignore them, end them or switch alarms off. It
// runs modally, on the alarm's pop-up thread or from the floating window's status button, at the
// bottom right of the screen, and closes itself once the mouse has left it.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "alarm/program_directory.h"
#include "base/scoped_handle_win.h"
#include "skin/button2x_win.h"
#include "skin/dialog_x_win.h"
#include "skin/gdi_win.h"
#include "skin/my_link_win.h"

namespace ui {

class CDlgAccState final : public skin::SkinnedDialog<skin::CDialogX<3>, skin::CCtrlColor<0, 0xF6FBF3>> {
  public:
    // `placement`: the window's rectangle before its height follows the rows.
    CDlgAccState(alarming::ProgramDirectory directory, const RECT& placement);

    struct Row {
        std::u16string name;
        std::uint32_t pid = 0;
        bool handled = false;
    };
    const std::vector<Row>& Rows() const { return rows_; }

  protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    static constexpr UINT_PTR kRefreshTimer = 100;
    static constexpr UINT_PTR kLeaveTimer = 101;

    void OnInitDialog();
    void SetUpControls();
    void FillList();
    void Layout();
    void RefreshTexts();
    void RefreshLogo(std::uint32_t accelerationState);
    void OnTimer(UINT_PTR id);
    bool OnCommand(WORD id, WORD code);
    void OnIgnore();
    void OnOptimize();
    void MarkRow(std::size_t index, const wchar_t* text);
    bool IsTicked(std::size_t index) const;
    void SendNotice(const std::string& payload) const;
    void UpdateIndicator() const;
    void Close();
    void OnDestroy();

    alarming::ProgramDirectory directory_;
    RECT placement_;
    std::vector<Row> rows_;
    bool closed_ = false;
    // A question box of "立即优化" is open: the leave check waits for it.
    bool asking_ = false;
    std::uint32_t shownState_ = 0xFFFFFFFF;
    skin::Font listFont_;
    skin::Bitmap buttonFace_;
    skin::CButton2X optimizeButton_;
    skin::CMyLink detailsLink_;
    skin::CMyLink ignoreLink_;
    base::ScopedImageList icons_;
    base::ScopedIcon defaultLogo_;
    base::ScopedIcon gameLogo_;
};

// Runs the pop-up modally in `placement` without owner; returns when it has closed.
void RunAccStatePopup(const RECT& placement);

// The line the pop-ups' bottom edges keep to: the bottom of the full-screen client area plus 20 (over
// the task bar), but never below the screen, where Wine puts that line when no task bar exists.
int PopupBottomLimit();

// How long the pop-up waits before it first looks whether the mouse has left it, and between looks
// (20 s). Tests shorten it.
void SetAccStateLeaveCheckPeriod(UINT milliseconds);

}  // namespace ui
