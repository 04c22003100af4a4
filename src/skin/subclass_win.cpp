#include "skin/subclass_win.h"

#include <commctrl.h>

namespace skin {
namespace {

// One subclass id for all of ours: a window carries at most one skin object.
constexpr UINT_PTR kSubclassId = 0x6B76;
constexpr wchar_t kOwnerProperty[] = L"kvt.skin.subclass";

}  // namespace

SubclassedWindow::~SubclassedWindow() { Detach(); }

bool SubclassedWindow::Attach(HWND window) {
    if (window == nullptr || window_ != nullptr) {
        return false;
    }
    // A second object on the same window would silently take the first one's place.
    if (::GetPropW(window, kOwnerProperty) != nullptr) {
        return false;
    }
    if (!::SetWindowSubclass(window, &SubclassedWindow::SubclassProc, kSubclassId,
                             reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    ::SetPropW(window, kOwnerProperty, reinterpret_cast<HANDLE>(this));
    window_ = window;
    OnAttached();
    return true;
}

void SubclassedWindow::Detach() {
    if (window_ != nullptr) {
        ::RemoveWindowSubclass(window_, &SubclassedWindow::SubclassProc, kSubclassId);
        ::RemovePropW(window_, kOwnerProperty);
        window_ = nullptr;
    }
}

LRESULT SubclassedWindow::CallDefault(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefSubclassProc(window_, message, wParam, lParam);
}

bool SubclassedWindow::HandleSelfPaint(UINT message, LRESULT& result) {
    if (message == WM_ERASEBKGND) {
        result = 1;
        return true;
    }
    if (message != WM_PAINT) {
        return false;
    }
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window_, &paint);
    if (dc != nullptr) {
        Paint(dc);
    }
    ::EndPaint(window_, &paint);
    result = 0;
    return true;
}

void SubclassedWindow::FillWithParentBrush(HDC dc) {
    RECT client{};
    ::GetClientRect(window_, &client);
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(::GetParent(window_), WM_CTLCOLORSTATIC,
                                                         reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window_)));
    if (brush != nullptr) {
        ::FillRect(dc, &client, brush);
    }
}

LRESULT CALLBACK SubclassedWindow::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                DWORD_PTR data) {
    auto* self = reinterpret_cast<SubclassedWindow*>(data);
    if (message == WM_NCDESTROY) {
        self->Detach();
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    bool handled = false;
    try {
        handled = self->HandleMessage(message, wParam, lParam, result);
    } catch (...) {
        handled = false;
    }
    return handled ? result : ::DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace skin
