#pragma once

// The skinned message box, used instead of the system's for the program's questions and notices. The
// same styles (MB_ flags) and results as the system message box; the system's takes over when the
// skinned one cannot run.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "skin/button2x_win.h"
#include "skin/dialog_x_win.h"
#include "skin/message_box_layout.h"
#include "skin/static_multi_line_win.h"

namespace skin {

// The dialog of the message box. One instance serves the whole process; it is not re-entrant.
class CMessageBoxDailog : public SkinnedDialog<CDialogX<3>, CCtrlColor<0, 0xF6FBF3>> {
  public:
    CMessageBoxDailog();
    ~CMessageBoxDailog() override;

    // Narrow texts, code page 936.
    void Prepare(std::string caption, std::string text, UINT style);
    bool IsRunning() const { return running_; }
    INT_PTR Run(HWND owner);

    // After a run: what it showed.
    const std::vector<int>& ButtonIds() const { return buttonIds_; }

  protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    // WM_INITDIALOG: the texts, icon and buttons made, measured and placed; FALSE in `result` when the
    // default button took the focus.
    void SetUp(LRESULT& result);
    // The text's static, or null when it cannot be made.
    HWND CreateText(const std::wstring& text, HFONT font);
    // The text block's size in the static's font; long texts wrap.
    static Size MeasureText(HWND textWindow, const std::wstring& text, HFONT font);
    // The style's icon bitmap loaded; its size, 0 x 0 without one.
    Size LoadIconBitmap();
    // The window sized to the client size inside the skin's frame and centred on the owner (or the
    // work area when the owner is hidden or missing).
    void CentreWindow(Size client);
    void AddButtons(const std::vector<Point>& positions, HFONT font);
    void AddIcon(Point position, Size size);
    // The default button has the focus and answers Enter.
    void FocusDefaultButton(LRESULT& result);
    void Release();
    HWND AddButton(int id, int x, int y);

    std::string caption_;
    std::string text_;
    UINT style_ = 0;
    bool running_ = false;
    Bitmap iconBitmap_;
    Bitmap buttonFace_;
    Font textFont_;
    CStaticMultiLine textControl_;
    HWND iconControl_ = nullptr;
    std::vector<std::unique_ptr<skin::CButton2X>> buttons_;
    std::vector<int> buttonIds_;
};

// Shows the message box: the identifier of the pressed button (IDOK, IDYES, ...). Null texts count as
// empty. When the skinned box cannot be built or its run gives -1 or 0, the system's shows the same.
int SkinnedMessageBox(HWND owner, const char* text, const char* caption, UINT style);

}  // namespace skin
