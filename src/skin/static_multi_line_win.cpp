#include "skin/static_multi_line_win.h"

#include <string>

namespace skin {

bool CStaticMultiLine::HandleMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
    return HandleSelfPaint(message, result);
}

void CStaticMultiLine::Paint(HDC dc) {
    FillWithParentBrush(dc);
    RECT client{};
    ::GetClientRect(Handle(), &client);
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
