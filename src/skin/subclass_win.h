#pragma once

// A control subclassed by an object of ours (comctl32 window subclassing): messages reach the virtual
// handler first; what it leaves goes on to the control's own procedure. The subclass goes when the
// object is detached or destroyed, or when the window is.

#include <windows.h>

namespace skin {

class SubclassedWindow {
  public:
    SubclassedWindow() = default;
    SubclassedWindow(const SubclassedWindow&) = delete;
    SubclassedWindow& operator=(const SubclassedWindow&) = delete;
    virtual ~SubclassedWindow();

    // False when `window` is null or already carries another skin object.
    bool Attach(HWND window);
    void Detach();
    HWND Handle() const { return window_; }

  protected:
    // True when handled, with `result` the message's value.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
    // The control's own handling of a message.
    LRESULT CallDefault(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnAttached() {}
    // For controls that paint themselves whole: WM_PAINT goes to Paint and the background is never
    // erased first (no flicker). True for those two messages, with `result` set.
    bool HandleSelfPaint(UINT message, LRESULT& result);
    virtual void Paint(HDC /*dc*/) {}
    // Fills the control's client area with the brush its dialog gives static controls.
    void FillWithParentBrush(HDC dc);

  private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);

    HWND window_ = nullptr;
};

}  // namespace skin
