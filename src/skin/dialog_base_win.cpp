#include "skin/dialog_base_win.h"

namespace skin {
namespace {

// Messages whose value the dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
    switch (message) {
        case WM_INITDIALOG:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
            return true;
        default:
            return false;
    }
}

}  // namespace

Dialog::Dialog(int templateId, HINSTANCE instance)
    : instance_(instance != nullptr ? instance : ::GetModuleHandleW(nullptr)), templateId_(templateId) {}

Dialog::~Dialog() {
    if (window_ != nullptr && ::IsWindow(window_)) {
        ::SetWindowLongPtrW(window_, DWLP_USER, 0);
        ::DestroyWindow(window_);
    }
}

INT_PTR Dialog::DoModal(HWND owner) {
    modal_ = true;
    const INT_PTR result = ::DialogBoxParamW(instance_, MAKEINTRESOURCEW(templateId_), owner, &Dialog::DialogProc,
                                             reinterpret_cast<LPARAM>(this));
    window_ = nullptr;
    return result;
}

HWND Dialog::Create(HWND owner) {
    modal_ = false;
    return ::CreateDialogParamW(instance_, MAKEINTRESOURCEW(templateId_), owner, &Dialog::DialogProc,
                                reinterpret_cast<LPARAM>(this));
}

void Dialog::EndDialog(INT_PTR result) {
    if (window_ == nullptr) {
        return;
    }
    if (modal_) {
        ::EndDialog(window_, result);
    } else {
        ::DestroyWindow(window_);
    }
}

Dialog* Dialog::FromHandle(HWND window) {
    if (window == nullptr ||
        ::GetWindowLongPtrW(window, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(&Dialog::DialogProc)) {
        return nullptr;
    }
    return reinterpret_cast<Dialog*>(::GetWindowLongPtrW(window, DWLP_USER));
}

bool Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(LOWORD(wParam));
        result = 0;
        return true;
    }
    return false;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->window_ = window;
        ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    }
    if (self == nullptr) {
        return FALSE;
    }

    LRESULT result = 0;
    bool handled = false;
    // Nothing may leave a window procedure as an exception.
    try {
        handled = self->HandleMessage(message, wParam, lParam, result);
    } catch (...) {
        handled = false;
    }

    if (message == WM_DESTROY) {
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        self->window_ = nullptr;
        if (!self->modal_) {
            // The dialog's own object may be deleted here; nothing of it is touched afterwards.
            self->OnFinalMessage();
        }
        return handled ? TRUE : FALSE;
    }
    if (!handled) {
        return FALSE;
    }
    if (ReturnsDirectly(message)) {
        return static_cast<INT_PTR>(result);
    }
    ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace skin
