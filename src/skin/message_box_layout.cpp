#include "skin/message_box_layout.h"

#include <algorithm>

namespace skin {

std::vector<int> MessageBoxButtonIds(std::uint32_t style) {
    std::vector<int> ids;
    // The style's low bits overlap (3 contains 1 and 2, 6 contains 2 and 4), so wider sets are tested first.
    if ((style & 6) == 6) {
        ids = {2, 10, 11};
    } else if ((style & 3) == 3) {
        ids = {6, 7, 2};
    } else if (style & 2) {
        ids = {3, 4, 5};
    } else if ((style & 5) == 5) {
        ids = {4, 2};
    } else if (style & 4) {
        ids = {6, 7};
    } else if (style & 1) {
        ids = {1, 2};
    } else {
        ids = {1};
    }
    if (style & kMbHelp)
        ids.push_back(9);
    return ids;
}

std::u16string_view MessageBoxButtonText(int id) {
    static constexpr std::u16string_view kTexts[] = {
        u"确定",   u"取消", u"终止(&A)", u"重试(&R)", u"忽略(&I)", u"是(&Y)",
        u"否(&N)", u"关闭", u"帮助",     u"重试(&T)", u"继续(&C)",
    };
    if (id < 1 || id > static_cast<int>(std::size(kTexts)))
        return {};
    return kTexts[id - 1];
}

std::size_t MessageBoxDefaultIndex(std::uint32_t style) {
    switch (style & 0x300) {
        case 0x300:
            return 3;
        case 0x200:
            return 2;
        case 0x100:
            return 1;
        default:
            return 0;
    }
}

int MessageBoxIconBitmap(std::uint32_t style) {
    if (style & 0x40)
        return 231;
    if ((style & 0x30) == 0x30)
        return 230;
    if (style & 0x20)
        return 229;
    if (style & 0x10)
        return 228;
    return 0;
}

Size MessageBoxTextSize(Size measured, int lineHeight) {
    if (measured.width <= kMbTextWidth)
        return measured;
    return {kMbTextWidth, (measured.width / kMbTextWidth + 1) * lineHeight};
}

MessageBoxLayout LayoutMessageBox(Size icon, Size text, std::size_t buttonCount) {
    const int n = static_cast<int>(buttonCount);
    const int rowWidth = n > 0 ? n * kMbButtonWidth + (n - 1) * 10 : 0;
    const int gap = icon.width > 0 || icon.height > 0 ? kMbIconGap : 0;
    const int contentHeight = std::max(icon.height, text.height);

    MessageBoxLayout layout;
    layout.client.width = std::max(icon.width + gap + text.width, rowWidth) + 40;
    layout.client.height = contentHeight + 61;
    layout.icon = {20, 10 + (text.height > icon.height ? (text.height - icon.height) / 2 : 0)};
    layout.text = {20 + icon.width + gap,
                   10 + (icon.height > text.height ? (icon.height - text.height) / 2 : 0)};
    const int left = (layout.client.width - rowWidth) / 2;
    for (int i = 0; i < n; ++i)
        layout.buttons.push_back({left + i * kMbButtonPitch, contentHeight + 22});
    return layout;
}

bool UseSystemMessageBox(bool built, std::intptr_t runResult) {
    return !built || runResult == -1 || runResult == 0;
}

}  // namespace skin
