#include "ui/detail_dialog_win.h"

#include "base/text.h"
#include "base/wide_win.h"
#include "res/resource_ids.h"
#include "skin/message_box_win.h"

namespace ui {

DetailDialog::DetailDialog(int templateId, std::u16string_view title) : SkinnedDialog(templateId) {
    SetTitle(base::Utf16ToGbk(title));
}

void DetailDialog::SetUpDetailFrame(int okId) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const auto icon = [instance](int metricX, int metricY) {
        return reinterpret_cast<LPARAM>(::LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                                     ::GetSystemMetrics(metricX), ::GetSystemMetrics(metricY),
                                                     LR_SHARED));
    };
    ::SendMessageW(Handle(), WM_SETICON, ICON_BIG, icon(SM_CXICON, SM_CYICON));
    ::SendMessageW(Handle(), WM_SETICON, ICON_SMALL, icon(SM_CXSMICON, SM_CYSMICON));
    buttonFace_.Reset(LoadSkinBitmap(L"IDB_BITMAP_BTN"));
    if (okButton_.Attach(Item(okId))) {
        okButton_.SetFace(buttonFace_.Get());
    }
}

void DetailDialog::SetItemTexts(std::span<const int> ids, std::span<const std::u16string> texts) {
    for (std::size_t i = 0; i < ids.size() && i < texts.size(); ++i) {
        ::SetDlgItemTextW(Handle(), ids[i], base::Wide(texts[i]));
    }
}

bool ConfirmEndProcess(HWND owner, const std::u16string& processName) {
    const std::string text = base::Utf16ToGbk(u"您确定要关闭" + processName + u"进程吗？");
    const std::string caption = base::Utf16ToGbk(u"结束进程");
    return skin::SkinnedMessageBox(owner, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

HWND DetailDialogOwner(HWND fallback) {
    HWND active = ::GetActiveWindow();
    return active != nullptr ? active : ::GetAncestor(fallback, GA_ROOT);
}

}  // namespace ui
