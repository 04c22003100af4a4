// The dialog base and the control colours against real dialogs made from the program's templates.

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "base/scoped_handle_win.h"
#include "res/resource_ids.h"
#include "skin/ctrl_color_win.h"
#include "skin/dialog_base_win.h"

namespace {

constexpr UINT kAskValue = WM_APP + 1;
constexpr LRESULT kAnswer = 0x1234;

// Records what reaches the handler; ends a modal run from WM_INITDIALOG when asked to.
class ProbeDialog : public skin::Dialog {
  public:
    explicit ProbeDialog(int templateId, INT_PTR endWith = 0) : skin::Dialog(templateId), endWith_(endWith) {}

    std::vector<UINT> seen;
    skin::Dialog* foundAtInit = nullptr;
    int finalMessages = 0;

  protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        seen.push_back(message);
        if (message == WM_INITDIALOG) {
            foundAtInit = FromHandle(Handle());
            if (endWith_ != 0) {
                EndDialog(endWith_);
            }
            result = TRUE;
            return true;
        }
        if (message == kAskValue) {
            result = kAnswer;
            return true;
        }
        return skin::Dialog::HandleMessage(message, wParam, lParam, result);
    }
    void OnFinalMessage() override { ++finalMessages; }

  private:
    INT_PTR endWith_;
};

TEST(SkinDialog, AModalRunReturnsTheValueGivenToEndDialog) {
    ProbeDialog dialog(IDD_FLOATING, 77);
    EXPECT_EQ(dialog.DoModal(nullptr), 77);
    ASSERT_FALSE(dialog.seen.empty());
    EXPECT_EQ(dialog.seen.front(), static_cast<UINT>(WM_INITDIALOG))
        << "the object is known from WM_INITDIALOG on";
    EXPECT_EQ(dialog.foundAtInit, &dialog);
    EXPECT_EQ(dialog.Handle(), nullptr) << "no window after the run";
    EXPECT_EQ(dialog.finalMessages, 0) << "a modal dialog lives on its caller's stack";

    ProbeDialog missing(4999);
    EXPECT_EQ(missing.DoModal(nullptr), -1);
    EXPECT_TRUE(missing.seen.empty());
}

TEST(SkinDialog, AModelessDialogAnswersThroughItsHandlerAndEndsWithItsWindow) {
    ProbeDialog dialog(IDD_FLOATING);
    HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(skin::Dialog::FromHandle(window), &dialog);
    EXPECT_EQ(SendMessageW(window, kAskValue, 0, 0), kAnswer) << "the value travels through DWLP_MSGRESULT";
    EXPECT_NE(dialog.Item(IDC_STATUS_BUTTON), nullptr);
    EXPECT_EQ(skin::Dialog::FromHandle(dialog.Item(IDC_STATUS_BUTTON)), nullptr)
        << "a window of another kind";

    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_FALSE(IsWindow(window)) << "a modeless dialog is destroyed by IDCANCEL";
    EXPECT_EQ(dialog.finalMessages, 1);
    EXPECT_EQ(dialog.Handle(), nullptr);
}

// A dialog with the control colours mixed in, as the program's dialogs have them.
class ColouredDialog : public skin::Dialog, public skin::CCtrlColor<0, 0xF6FBF3> {
  public:
    ColouredDialog() : skin::Dialog(IDD_FLOATING) {}

  protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        return ProcessCtrlColor(message, wParam, lParam, result) ||
               skin::Dialog::HandleMessage(message, wParam, lParam, result);
    }
};

struct StaticColours {
    HBRUSH brush;
    COLORREF text;
    int mode;
};

StaticColours AskStaticColours(HWND dialog, HWND control) {
    const base::ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
    SetBkMode(dc.Get(), OPAQUE);
    SetTextColor(dc.Get(), RGB(9, 9, 9));
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.Get()), reinterpret_cast<LPARAM>(control)));
    return {brush, GetTextColor(dc.Get()), GetBkMode(dc.Get())};
}

TEST(CtrlColor, StaticsAreTransparentTextOnTheDialogBrushUnlessRegisteredOtherwise) {
    ColouredDialog dialog;
    HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
    HWND text = dialog.Item(IDC_TEXT_LINE);
    HWND button = dialog.Item(IDC_STATUS_BUTTON);

    const StaticColours plain = AskStaticColours(window, text);
    EXPECT_EQ(plain.brush, dialog.DefaultBrush());
    LOGBRUSH logBrush{};
    GetObjectW(plain.brush, sizeof(logBrush), &logBrush);
    EXPECT_EQ(logBrush.lbColor, RGB(243, 251, 246));
    EXPECT_EQ(plain.text, RGB(0, 0, 0));
    EXPECT_EQ(plain.mode, TRANSPARENT);
    dialog.RegisterTextColor(text, RGB(0, 86, 31));
    EXPECT_EQ(AskStaticColours(window, text).text, RGB(0, 86, 31));

    HBRUSH background = CreateSolidBrush(RGB(247, 251, 255));
    dialog.RegisterBrush(window, background);
    EXPECT_EQ(
        reinterpret_cast<HBRUSH>(SendMessageW(window, WM_CTLCOLORDLG, 0, reinterpret_cast<LPARAM>(window))),
        background);
    dialog.SetTransparentStatics(true);
    EXPECT_EQ(AskStaticColours(window, text).brush, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(dialog.BrushFor(button), dialog.DefaultBrush()) << "only statics become transparent";
    HBRUSH own = CreateSolidBrush(RGB(1, 2, 3));
    dialog.RegisterBrush(text, own);
    EXPECT_EQ(AskStaticColours(window, text).brush, own) << "a registered brush wins over transparency";

    LRESULT result = 0;
    for (const UINT other : {WM_CTLCOLORBTN, WM_CTLCOLOREDIT, WM_PAINT}) {
        EXPECT_FALSE(dialog.ProcessCtrlColor(other, 0, 0, result)) << "left to the system: " << other;
    }
    DestroyWindow(window);
}

}  // namespace
