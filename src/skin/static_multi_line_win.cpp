#include "skin/static_multi_line_win.h"

#include <string>

namespace skin {

bool CStaticMultiLine::HandleMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
    switch (message) {
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = ::BeginPaint(Handle(), &paint);
            if (dc != nullptr) {
                Paint(dc);
            }
            ::EndPaint(Handle(), &paint);
            result = 0;
            return true;
        }
        default:
            return false;
    }
}

void CStaticMultiLine::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(::GetParent(Handle()), WM_CTLCOLORSTATIC,
                                                         reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Handle())));
    if (brush != nullptr) {
        ::FillRect(dc, &client, brush);
    }
    const int length = ::GetWindowTextLengthW(Handle());
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::GetWindowTextW(Handle(), text.data(), length + 1);
    auto font = reinterpret_cast<HFONT>(::SendMessageW(Handle(), WM_GETFONT, 0, 0));
    HGDIOBJ previous = font != nullptr ? ::SelectObject(dc, font) : nullptr;
    const bool right = (::GetWindowLongPtrW(Handle(), GWL_STYLE) & SS_TYPEMASK) == SS_RIGHT;
    ::DrawTextW(dc, text.c_str(), length, &client, DT_WORDBREAK | DT_NOPREFIX | (right ? DT_RIGHT : DT_LEFT));
    if (previous != nullptr) {
        ::SelectObject(dc, previous);
    }
}

}  // namespace skin
