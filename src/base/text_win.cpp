#include <windows.h>

#include "base/text.h"
#include "base/wide_win.h"

namespace base {
namespace {

constexpr UINT kGbkCodePage = 936;

std::u16string CodePageToUtf16(UINT codePage, std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::u16string out(static_cast<std::size_t>(needed > 0 ? needed : 0), u'\0');
    if (needed > 0) {
        MultiByteToWideChar(codePage, 0, text.data(), length, Wide(out.data()), needed);
    }
    return out;
}

}  // namespace

std::string Utf16ToGbk(std::u16string_view utf16) {
    if (utf16.empty()) {
        return {};
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(utf16.data());
    const int length = static_cast<int>(utf16.size());
    const int needed = WideCharToMultiByte(kGbkCodePage, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(needed > 0 ? needed : 0), '\0');
    if (needed > 0) {
        WideCharToMultiByte(kGbkCodePage, 0, wide, length, out.data(), needed, nullptr, nullptr);
    }
    return out;
}

std::u16string GbkToUtf16(std::string_view gbk) {
    return CodePageToUtf16(kGbkCodePage, gbk);
}

std::u16string AnsiToUtf16(std::string_view ansi) {
    return CodePageToUtf16(CP_ACP, ansi);
}

}  // namespace base
