#pragma once

// The program's dialog base: a dialog from a resource template, run modal or modeless, whose messages
// reach one virtual handler. The window finds its object through DWLP_USER, stored on WM_INITDIALOG
// and cleared on WM_DESTROY; messages sent before WM_INITDIALOG get the system's default handling.
// No data exchange: dialogs read and write their controls themselves.

#include <windows.h>

namespace skin {

class Dialog {
  public:
    // `instance`: the module holding the template; null means the program itself.
    explicit Dialog(int templateId, HINSTANCE instance = nullptr);
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog();

    // Runs the dialog modally: the value passed to EndDialog, or -1 when it could not be created.
    INT_PTR DoModal(HWND owner);
    // Creates the dialog modeless (it is shown only if its template says so); null on failure.
    HWND Create(HWND owner);
    // Modal: ends the run with `result`. Modeless: destroys the window.
    void EndDialog(INT_PTR result);

    HWND Handle() const { return window_; }
    int TemplateId() const { return templateId_; }
    bool IsModal() const { return modal_; }
    HWND Item(int id) const { return ::GetDlgItem(window_, id); }

    // The object of a window created by this base, or null.
    static Dialog* FromHandle(HWND window);

  protected:
    // Every message from WM_INITDIALOG to WM_DESTROY. Returns true when handled; `result` is then the
    // message's value (WM_INITDIALOG: whether the system sets the default focus; WM_CTLCOLOR*: the
    // brush). Unhandled messages go to the system's dialog handling. The base handles IDOK and
    // IDCANCEL by ending the dialog.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // After the window is gone: a modeless dialog that owns itself may delete itself here.
    virtual void OnFinalMessage() {}

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE instance_;
    int templateId_;
    HWND window_ = nullptr;
    bool modal_ = false;
};

}  // namespace skin
