#pragma once

// The two settings dialogs, both captioned "设置": CSettingDlg switches the floating window and the
// alarm pop-ups, CYuZhiSetDlg sets the alarm percentage with the floating-window switch. Both run
// modally and answer the id of the button that closed them. The rules are in settings_dialog_rules.h;
// these classes only carry the clicks there.

#include <windows.h>

#include "alarm/program_directory.h"
#include "skin/button2x_win.h"
#include "skin/dialog_x_win.h"
#include "skin/gdi_win.h"
#include "skin/my_link_win.h"
#include "ui/settings_dialog_rules.h"

namespace ui {

// The process-wide floating window as the settings dialogs switch it.
IFloatingSwitch& FloatingWindowSwitch();

// What both dialogs share: the skinned frame, the program's icon, the two skinned buttons, and the
// dispatch of their messages.
class SettingsDialogFrame : public skin::SkinnedDialog<skin::CDialogX<0>, skin::CCtrlColor<1, 0xF6FBF3>> {
  public:
    explicit SettingsDialogFrame(int templateId);

  protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) final;
    virtual void OnInitDialog() = 0;
    // True when the command is handled.
    virtual bool OnCommand(WORD id, WORD code) = 0;
    virtual void OnDestroy() {}
    // The icon, and the face "IDB_BITMAP_BTN" on both buttons.
    void SkinFrame(int okId, int cancelId);

  private:
    skin::Bitmap buttonFace_;
    skin::CButton2X okButton_;
    skin::CButton2X cancelButton_;
};

class CSettingDlg final : public SettingsDialogFrame {
  public:
    explicit CSettingDlg(alarming::ProgramDirectory directory = {},
                         IFloatingSwitch& floating = FloatingWindowSwitch());

  protected:
    void OnInitDialog() override;
    bool OnCommand(WORD id, WORD code) override;
    void OnDestroy() override { thresholdLink_.Detach(); }

  private:
    alarming::ProgramDirectory directory_;
    IFloatingSwitch& floating_;
    SettingDlgRules rules_;
    skin::Font font_;
    skin::CMyLink thresholdLink_;
};

class CYuZhiSetDlg final : public SettingsDialogFrame {
  public:
    explicit CYuZhiSetDlg(alarming::ProgramDirectory directory = {},
                          IFloatingSwitch& floating = FloatingWindowSwitch());

  protected:
    void OnInitDialog() override;
    bool OnCommand(WORD id, WORD code) override;

  private:
    bool ShowChecked() const;

    YuZhiSetRules rules_;
};

// What the main window's caption settings button (command 32786) and the floating window's menu open.
INT_PTR ShowSettingDialog(HWND owner);
// Opened from the settings dialog's link "报警阈值设置".
INT_PTR ShowThresholdDialog(HWND owner);

}  // namespace ui
