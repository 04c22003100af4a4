#pragma once

// The skinned dialog frame: a 31-pixel bitmap caption with the title and the caption buttons, a thin
// bitmap frame, cut corners, and the moving, sizing and maximising that go with them. A dialog mixes
// CDialogX in and passes its messages through ProcessFrameMessage after its own handling;
// SkinnedDialog below does the chaining.

#include <windows.h>

#include <string>

#include "skin/ctrl_color_win.h"
#include "skin/dialog_base_win.h"
#include "skin/frame_hit_test.h"
#include "skin/gdi_win.h"
#include "skin/skin_resources_win.h"

namespace skin {

// Posted by the caption's settings button.
inline constexpr UINT kSettingsCommand = 32786;
// Posted for hit code 23, which a dialog may answer from its own hit test.
inline constexpr UINT kCustomHitMessage = 0x2508;
inline constexpr int kHitCustom = 23;

class DialogFrame {
  public:
    // Loads the skin library and the frame bitmaps; missing frame bitmaps end the process (exit code 1)
    // after an error box, before any window exists.
    explicit DialogFrame(unsigned optionalStrips);
    DialogFrame(const DialogFrame&) = delete;
    DialogFrame& operator=(const DialogFrame&) = delete;
    virtual ~DialogFrame();

    // Narrow texts, code page 936; set them before the dialog is initialised.
    void SetTitle(std::string title) { title_ = std::move(title); }
    void SetSettingsLabel(std::string label) { settingsLabel_ = std::move(label); }
    const std::string& Title() const { return title_; }

    // The frame's messages; false leaves a message to the dialog's default handling. WM_INITDIALOG
    // is never marked handled, so that the dialog's own result stands.
    bool ProcessFrameMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Tiles "IDB_BITMAP_BTN_BKGND_SW" from startX to endX along the bottom of the client area, its top
    // at client height - bitmap height - offset.
    virtual void DrawButtonBand(HDC dc, HWND window, int startX, int endX, int offset);
    // A named bitmap of the skin library, owned by the caller; null when missing.
    HBITMAP LoadSkinBitmap(const wchar_t* name) const { return library_.LoadNamedBitmap(name); }
    const SkinLibrary& Library() const { return library_; }

    // The window's region: its rectangle with a three-step staircase cut from each corner.
    static void CutCorners(HWND window);
    // Window size for a client size inside this frame.
    static SIZE WindowSizeFor(int clientWidth, int clientHeight);

    bool IsMaximized() const { return maximized_; }
    bool IsActive() const { return active_; }
    // The caption buttons; x relative to the window's right edge (negative), y to its top.
    const CaptionButtons& Buttons() const { return buttons_; }
    int HoverHit() const { return hoverHit_; }
    int PressedHit() const { return pressedHit_; }

  private:
    void OnInitDialog(HWND window);
    int HitTest(HWND window, LPARAM screenPoint) const;
    void OnButtonUp(HWND window, int hit);
    void ToggleMaximized(HWND window);
    void Paint(HWND window);
    void PaintCaption(HDC target, int width);
    void TrackLeave(HWND window);

    // Handlers of ProcessFrameMessage: true when the message is handled, with `result` set.
    bool OnNcCalcSize(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnSysCommand(HWND window, WPARAM command, LRESULT& result);
    bool OnNcMouseMove(HWND window, int hit, LRESULT& result);
    bool OnNcButtonDown(HWND window, int hit, LRESULT& result);
    void OnNcDoubleClick(HWND window, int hit);
    void SetActive(HWND window, bool active);
    // No caption button hovered or pressed any more; repaints only when one was.
    void ClearHover(HWND window);
    void ShowSystemMenu(HWND window);

    FrameBitmaps bitmaps_;
    SkinLibrary library_;
    std::string title_ = "Zelvan";
    std::string settingsLabel_;
    bool hadSystemMenu_ = false;
    bool hadSizingBorder_ = false;
    bool hadMinimizeBox_ = false;
    bool hadMaximizeBox_ = false;
    CaptionButtons buttons_;
    int hoverHit_ = 0;
    int pressedHit_ = 0;
    bool maximized_ = false;
    bool active_ = false;
    bool tracking_ = false;
    RECT restoreRect_{};
    HCURSOR handCursor_ = nullptr;
    HCURSOR arrowCursor_ = nullptr;
    Font titleFont_;
    Font labelFont_;
};

// The mix-in as the dialogs declare it: CDialogX<3> loads both optional caption strips.
template <unsigned kOptionalStrips>
class CDialogX : public DialogFrame {
  public:
    CDialogX() : DialogFrame(kOptionalStrips) {}
};

// A dialog with the frame and the control colours: the dialog's own OnMessage first, then the
// colours, then the frame, then the base's handling. For WM_INITDIALOG the dialog's handler runs
// first and leaves the message unhandled; the frame's initialisation follows, and the result is the
// one the dialog's handler set (TRUE unless it changed it).
template <class Frame, class Colors>
class SkinnedDialog : public Dialog, public Frame, public Colors {
  public:
    explicit SkinnedDialog(int templateId, HINSTANCE instance = nullptr) : Dialog(templateId, instance) {}

  protected:
    virtual bool OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == WM_INITDIALOG) {
            result = TRUE;
            if (!OnMessage(message, wParam, lParam, result)) {
                Frame::ProcessFrameMessage(Handle(), message, wParam, lParam, result);
            }
            return true;
        }
        if (OnMessage(message, wParam, lParam, result)) {
            return true;
        }
        if (Colors::ProcessCtrlColor(message, wParam, lParam, result)) {
            return true;
        }
        if (Frame::ProcessFrameMessage(Handle(), message, wParam, lParam, result)) {
            return true;
        }
        return Dialog::HandleMessage(message, wParam, lParam, result);
    }
};

}  // namespace skin
