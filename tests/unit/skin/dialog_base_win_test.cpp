// The dialog base against real dialogs made from the program's templates. (The GUI tests see the modal
// results; these are the parts they cannot see.)

#include <windows.h>

#include <gtest/gtest.h>

#include "res/resource_ids.h"
#include "skin/dialog_base_win.h"

namespace {

constexpr UINT kAskValue = WM_APP + 1;

// Answers kAskValue; ends a modal run from WM_INITDIALOG when asked to.
class ProbeDialog : public skin::Dialog {
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
        return skin::Dialog::HandleMessage(message, wParam, lParam, result);
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

}  // namespace
