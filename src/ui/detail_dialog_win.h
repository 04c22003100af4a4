#pragma once

// What the three detail dialogs share: the skinned frame with its caption set before initialisation,
// the window icons, the OK button in the skin's face, and the question before a process is ended.

#include <windows.h>

#include <span>
#include <string>
#include <string_view>

#include "skin/button2x_win.h"
#include "skin/dialog_x_win.h"

namespace ui {

class DetailDialog : public skin::SkinnedDialog<skin::CDialogX<3>, skin::CCtrlColor<0, 0xF6FBF3>> {
  public:
    DetailDialog(int templateId, std::u16string_view title);

  protected:
    // WM_INITDIALOG's common steps: icons 128 and the OK button `okId` skinned.
    void SetUpDetailFrame(int okId);
    // Each text into the control of the same place in `ids`.
    void SetItemTexts(std::span<const int> ids, std::span<const std::u16string> texts);

  private:
    skin::Bitmap buttonFace_;
    skin::CButton2X okButton_;
};

// "您确定要关闭%s进程吗？" in the skinned message box, yes or no: true for yes.
bool ConfirmEndProcess(HWND owner, const std::u16string& processName);

// A detail dialog's owner: the active window, else the top-level window of `fallback`.
HWND DetailDialogOwner(HWND fallback);

}  // namespace ui
