#include "ui/setting_dlg_win.h"

#include <string>

#include "alarm/alarm_thread.h"
#include "alarm/settings.h"
#include "base/event.h"
#include "base/text.h"
#include "base/wide_win.h"
#include "res/resource_ids.h"
#include "skin/message_box_win.h"
#include "ui/suspension_dlg2_win.h"

namespace ui {
namespace {

// Room for the 19 characters the percentage is kept to.
constexpr int kPercentCapacity = 20;

class DesktopFloatingSwitch final : public IFloatingSwitch {
  public:
    bool HasWindow() override { return Window() != nullptr; }
    bool IsVisible() override {
        HWND window = Window();
        return window != nullptr && ::IsWindowVisible(window);
    }
    void CreateAndShow() override {
        if (CSuspensionDlg2* floating = FloatingWindow(); floating != nullptr) {
            if (floating->Window() == nullptr) {
                static_cast<void>(floating->CreateFloating(SW_SHOW));
            } else {
                floating->ShowFloating(SW_SHOW);
            }
        }
    }
    void Show() override { ShowFloating(SW_SHOW); }
    void Hide() override { ShowFloating(SW_HIDE); }

  private:
    static HWND Window() {
        CSuspensionDlg2* floating = FloatingWindow();
        return floating != nullptr ? floating->Window() : nullptr;
    }
    static void ShowFloating(int command) {
        if (CSuspensionDlg2* floating = FloatingWindow(); floating != nullptr) {
            floating->ShowFloating(command);
        }
    }
};

void SignalThresholdChange() {
    // The alarm thread holds the same named event and reloads config\Alarm.txt when it is set.
    base::Event change(base::EventReset::kManual, false, alarming::kYuZhiChangeEventName);
    change.Set();
}

bool IsChecked(HWND dialog, int id) {
    return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void Check(HWND dialog, int id, bool checked) {
    ::CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

HFONT SettingsFont() {
    HFONT font = skin::MakeFont(L"宋体", 12, FW_NORMAL, GB2312_CHARSET);
    return font != nullptr ? font : skin::MakeFont(L"Arial", 12, FW_NORMAL);
}

void ShowSaveFailed(HWND owner) {
    skin::SkinnedMessageBox(owner, base::Utf16ToGbk(u"保存失败").c_str(), nullptr, MB_OK);
}

}  // namespace

IFloatingSwitch& FloatingWindowSwitch() {
    static DesktopFloatingSwitch floating;
    return floating;
}

SettingsDialogFrame::SettingsDialogFrame(int templateId) : SkinnedDialog(templateId) {
    SetTitle(base::Utf16ToGbk(u"设置"));
}

bool SettingsDialogFrame::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog();
            return false;  // the frame's initialisation follows
        case WM_COMMAND:
            if (OnCommand(LOWORD(wParam), HIWORD(wParam))) {
                result = 0;
                return true;
            }
            return false;
        case WM_DESTROY:
            okButton_.Detach();
            cancelButton_.Detach();
            OnDestroy();
            return false;
        default:
            return false;
    }
}

void SettingsDialogFrame::SkinFrame(int okId, int cancelId) {
    ::SendMessageW(
        Handle(), WM_SETICON, ICON_BIG,
        reinterpret_cast<LPARAM>(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))));
    buttonFace_.Reset(LoadSkinBitmap(L"IDB_BITMAP_BTN"));
    okButton_.Attach(Item(okId));
    okButton_.SetFace(buttonFace_.Get());
    cancelButton_.Attach(Item(cancelId));
    cancelButton_.SetFace(buttonFace_.Get());
}

CSettingDlg::CSettingDlg(alarming::ProgramDirectory directory, IFloatingSwitch& floating)
    : SettingsDialogFrame(IDD_SETTINGS),
      directory_(directory),
      floating_(floating),
      rules_(std::move(directory), floating) {}

void CSettingDlg::OnInitDialog() {
    SkinFrame(IDC_SETTINGS_OK, IDC_SETTINGS_CANCEL);
    font_.Reset(SettingsFont());
    for (const int id : {IDC_SETTINGS_SHOW_FLOATING, IDC_SETTINGS_ALARM, IDC_SETTINGS_OK, IDC_SETTINGS_CANCEL,
                         IDC_SETTINGS_FLOATING_NOTE, IDC_SETTINGS_ALARM_NOTE, IDC_SETTINGS_THRESHOLD_LINK}) {
        ::SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    }
    thresholdLink_.Attach(Item(IDC_SETTINGS_THRESHOLD_LINK));
    const SettingChecks checks = rules_.Open();
    Check(Handle(), IDC_SETTINGS_SHOW_FLOATING, checks.show);
    Check(Handle(), IDC_SETTINGS_ALARM, checks.alarm);
}

bool CSettingDlg::OnCommand(WORD id, WORD code) {
    switch (id) {
        case IDC_SETTINGS_SHOW_FLOATING:
            if (code == BN_CLICKED) {
                rules_.ClickShow(IsChecked(Handle(), id));
            }
            return true;
        case IDC_SETTINGS_ALARM:
            if (code == BN_CLICKED) {
                rules_.ClickAlarm(IsChecked(Handle(), id));
            }
            return true;
        case IDC_SETTINGS_OK:
            rules_.Ok();
            EndDialog(id);
            return true;
        case IDC_SETTINGS_THRESHOLD_LINK: {
            CYuZhiSetDlg threshold(directory_, floating_);
            threshold.DoModal(Handle());
            // The threshold dialog may have changed the floating-window switch.
            Check(Handle(), IDC_SETTINGS_SHOW_FLOATING,
                  alarming::ShowSuspension.load(std::memory_order_relaxed) == 1);
            return true;
        }
        case IDC_SETTINGS_CANCEL:
        case IDOK:
        case IDCANCEL:
            EndDialog(id);
            return true;
        default:
            return false;
    }
}

CYuZhiSetDlg::CYuZhiSetDlg(alarming::ProgramDirectory directory, IFloatingSwitch& floating)
    : SettingsDialogFrame(IDD_THRESHOLD), rules_(std::move(directory), floating, SignalThresholdChange) {}

void CYuZhiSetDlg::OnInitDialog() {
    SkinFrame(IDC_THRESHOLD_OK, IDC_THRESHOLD_CANCEL);
    const bool show = rules_.Open();
    ::SendMessageW(Item(IDC_THRESHOLD_PERCENT), EM_LIMITTEXT, kPercentCapacity - 1, 0);
    ::SetDlgItemTextW(Handle(), IDC_THRESHOLD_PERCENT, base::Wide(rules_.Percentage()));
    Check(Handle(), IDC_THRESHOLD_SHOW_FLOATING, show);
}

bool CYuZhiSetDlg::ShowChecked() const {
    return IsChecked(Handle(), IDC_THRESHOLD_SHOW_FLOATING);
}

bool CYuZhiSetDlg::OnCommand(WORD id, WORD code) {
    switch (id) {
        case IDC_THRESHOLD_SHOW_FLOATING:
            if (code == BN_CLICKED) {
                rules_.ClickShow(ShowChecked());
            }
            return true;
        case IDC_THRESHOLD_OK: {
            wchar_t text[kPercentCapacity] = {};
            ::GetDlgItemTextW(Handle(), IDC_THRESHOLD_PERCENT, text, kPercentCapacity);
            const ThresholdSave saved = rules_.Ok(base::FromWide(text), ShowChecked());
            HWND owner = Handle();
            EndDialog(id);
            if (saved != ThresholdSave::kSaved) {
                ShowSaveFailed(owner);
            }
            return true;
        }
        case IDC_THRESHOLD_CANCEL:  // also the Escape key
            rules_.Cancel(ShowChecked());
            EndDialog(id);
            return true;
        case IDOK:  // the Enter key
            EndDialog(id);
            return true;
        default:
            return false;
    }
}

INT_PTR ShowSettingDialog(HWND owner) {
    CSettingDlg dialog;
    return dialog.DoModal(owner);
}

INT_PTR ShowThresholdDialog(HWND owner) {
    CYuZhiSetDlg dialog;
    return dialog.DoModal(owner);
}

}  // namespace ui
