// The dialog base and the control colours against real dialogs made from the program's templates. (The
// GUI tests see the modal results and the colours on screen; these are the parts they cannot see.)

#include <windows.h>

#include <gtest/gtest.h>

#include "base/scoped_handle_win.h"
#include "res/resource_ids.h"
#include "skin/ctrl_color_win.h"
#include "skin/dialog_base_win.h"

namespace {

constexpr UINT kAskValue = WM_APP + 1;

// Answers kAskValue; ends a modal run from WM_INITDIALOG when asked to; takes the control colours.
class ProbeDialog : public skin::Dialog, public skin::CCtrlColor<0, 0xF6FBF3> {
  public:
    explicit ProbeDialog(int templateId, INT_PTR endWith = 0) : skin::Dialog(templateId), endWith_(endWith) {}
    skin::Dialog* foundAtInit = nullptr;
    int finalMessages = 0;

  protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == WM_INITDIALOG) {
            foundAtInit = FromHandle(Handle());
            if (endWith_ != 0) {
                EndDialog(endWith_);
            }
            result = TRUE;
            return true;
        }
        if (message == kAskValue) {
            result = 0x1234;
            return true;
        }
        return ProcessCtrlColor(message, wParam, lParam, result) ||
               skin::Dialog::HandleMessage(message, wParam, lParam, result);
    }
    void OnFinalMessage() override { ++finalMessages; }

  private:
    INT_PTR endWith_;
};

TEST(SkinDialog, ModalRunsReturnTheEndValueAndModelessOnesEndWithTheirWindow) {
    ProbeDialog modal(IDD_FLOATING, 77);
    EXPECT_EQ(modal.DoModal(nullptr), 77);
    EXPECT_EQ(modal.foundAtInit, &modal) << "the object is known from WM_INITDIALOG on";
    EXPECT_EQ(modal.Handle(), nullptr);
    EXPECT_EQ(modal.finalMessages, 0) << "a modal dialog lives on its caller's stack";
    EXPECT_EQ(ProbeDialog(4999).DoModal(nullptr), -1) << "no such template";

    ProbeDialog dialog(IDD_FLOATING);
    HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageW(window, kAskValue, 0, 0), 0x1234) << "the value travels through DWLP_MSGRESULT";
    EXPECT_EQ(skin::Dialog::FromHandle(dialog.Item(IDC_STATUS_BUTTON)), nullptr)
        << "a window of another kind";
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_FALSE(IsWindow(window)) << "a modeless dialog is destroyed by IDCANCEL";
    EXPECT_EQ(dialog.finalMessages, 1);
    EXPECT_EQ(dialog.Handle(), nullptr);
}

struct StaticColours {
    HBRUSH brush;
    COLORREF text;
    int mode;
};

StaticColours AskStatic(HWND dialog, HWND control) {
    const base::ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
    SetBkMode(dc.Get(), OPAQUE);
    SetTextColor(dc.Get(), RGB(9, 9, 9));
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.Get()), reinterpret_cast<LPARAM>(control)));
    return {brush, GetTextColor(dc.Get()), GetBkMode(dc.Get())};
}

TEST(CtrlColor, StaticsAreTransparentTextOnTheDialogBrushUnlessRegisteredOtherwise) {
    ProbeDialog dialog(IDD_FLOATING);
    HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
    HWND text = dialog.Item(IDC_TEXT_LINE);
    const StaticColours plain = AskStatic(window, text);
    EXPECT_EQ(plain.brush, dialog.DefaultBrush());
    EXPECT_EQ(plain.text, RGB(0, 0, 0));
    EXPECT_EQ(plain.mode, TRANSPARENT);
    LOGBRUSH logBrush{};
    GetObjectW(dialog.DefaultBrush(), sizeof(logBrush), &logBrush);
    EXPECT_EQ(logBrush.lbColor, RGB(243, 251, 246));
    dialog.RegisterTextColor(text, RGB(0, 86, 31));
    EXPECT_EQ(AskStatic(window, text).text, RGB(0, 86, 31));
    HBRUSH background = CreateSolidBrush(RGB(247, 251, 255));
    dialog.RegisterBrush(window, background);
    EXPECT_EQ(SendMessageW(window, WM_CTLCOLORDLG, 0, reinterpret_cast<LPARAM>(window)),
              reinterpret_cast<LRESULT>(background));

    dialog.SetTransparentStatics(true);
    EXPECT_EQ(AskStatic(window, text).brush, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(dialog.BrushFor(dialog.Item(IDC_STATUS_BUTTON)), dialog.DefaultBrush()) << "only statics";
    HBRUSH own = CreateSolidBrush(RGB(1, 2, 3));
    dialog.RegisterBrush(text, own);
    EXPECT_EQ(AskStatic(window, text).brush, own) << "a registered brush wins over transparency";
    LRESULT result = 0;
    EXPECT_FALSE(dialog.ProcessCtrlColor(WM_CTLCOLOREDIT, 0, 0, result)) << "left to the system";
    DestroyWindow(window);
}

}  // namespace
