#include "ui/main_layout.h"

namespace ui {

Box PageBox(const Box& frame) {
    return {frame.x + 1, frame.y + 1, frame.width - 2, frame.height - 2};
}

const Box& TabBox(int page) {
    return page == 1 ? kAlarmTabBox : kTrafficTabBox;
}

TabLine TabLineFor(int activePage, int clientWidth) {
    const Box& tab = TabBox(activePage);
    const int y = tab.Bottom() - 1;
    return {{0, tab.x, y}, {tab.Right(), clientWidth, y}};
}

HeaderChoice ChooseHeader(std::uint32_t accelerationState, bool hasUnhandledAlarm) {
    if (accelerationState == 0) {
        // Machine rates of the traffic outside the tunnel: upload (9) left, download (8) right.
        return {HeaderCase::kNotAccelerating,
                u"尚未开启网游加速",
                u"本机上传：",
                9,
                u"本机下载：",
                8,
                true,
                false};
    }
    if (hasUnhandledAlarm) {
        return {HeaderCase::kAbnormal,
                u"检测到异常流量，游戏前请关闭相关进程",
                u"网游：",
                4,
                u"其他：",
                7,
                true,
                true};
    }
    return {HeaderCase::kMonitoring,
            u"流量监控已开启，尚未检测到异常流量",
            u"网游：",
            4,
            u"其他：",
            7,
            false,
            false};
}

std::u16string HeaderFigure(std::u16string_view label, std::u16string_view figure) {
    std::u16string text(label);
    text += figure;
    return text;
}

}  // namespace ui
