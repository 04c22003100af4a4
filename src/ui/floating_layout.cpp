#include "ui/floating_layout.h"

namespace ui {

Point FloatingDefaultPosition(int screenWidth) {
    return {screenWidth - kFloatingWidth - 151, kFloatingHeight - 10};
}

Point FloatingInitialPosition(int storedX, int storedY, int screenWidth, int screenHeight) {
    const int xMax = screenWidth - 1;
    // The strip may sit partly below the screen's bottom edge.
    const int yMax = screenHeight + 20;
    if (storedX < 0 || storedY < 0 || storedX > xMax || storedY > yMax)
        return FloatingDefaultPosition(screenWidth);
    return {storedX, storedY};
}

Rect ClampAccStatePopup(Rect r, const Rect& monitor) {
    if (r.left < 0 || r.right < 0) {
        r.left = 2;
        r.right = 282;
    }
    if (monitor.right < r.left + 280 || monitor.right < r.right + 280) {
        r.left = monitor.right - 282;
        r.right = monitor.right - 2;
    }
    if (r.top < 0 || r.bottom < 0) {
        r.top = 2;
        r.bottom = 272;
    }
    if (monitor.bottom < r.bottom + 270 || monitor.bottom < r.top + 280) {
        r.bottom = monitor.bottom - 2;
        r.top = monitor.bottom - 272;
    }
    return r;
}

TextLineChoice ChooseTextLine(int accelerationState, bool hasUnhandledAlarm) {
    if (accelerationState == 0)
        return {u"网络占用：", 7, true};
    if (hasUnhandledAlarm)
        return {u"异常流量：", 7, false};
    return {u"网游流量：", 4, false};
}

std::u16string TextLine(const TextLineChoice& choice, std::u16string_view figure) {
    std::u16string text(choice.label);
    text += figure;
    return text;
}

}  // namespace ui
