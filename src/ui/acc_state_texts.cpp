#include "ui/acc_state_texts.h"

#include <algorithm>
#include <string>

#include "base/text.h"
#include "engine/process_records.h"

namespace ui {

std::u16string AccelerationStateText(std::uint32_t accelerationState) {
    return accelerationState == 1 ? u"网游加速：已加速" : u"网游加速：尚未加速游戏";
}

UsageTexts ChooseUsageTexts(std::uint32_t accelerationState, bool hasUnhandledAlarm,
                            const std::u16string& gameVolume, const std::u16string& otherVolume) {
    if (accelerationState == 0) {
        return {};
    }
    if (hasUnhandledAlarm) {
        return {u"异常流量：" + otherVolume, u""};
    }
    return {u"网游：" + gameVolume, u"其它：" + otherVolume};
}

std::u16string AccStateDescription(std::size_t rows) {
    return u"当前有" + base::AsciiToUtf16(std::to_string(rows)) +
           u"个进程可能会影响您网游加速效果，建议关闭下列进程";
}

LogoChoice ChooseLogo(std::int32_t gameId, const std::u16string& gameName, const std::u16string& gamePath,
                      const std::vector<engine::ProcessRow>& processes) {
    LogoChoice choice;
    if (gameId > 0) {
        choice.name = gameName;
        choice.logoFile = u"gamelogo\\" + base::AsciiToUtf16(std::to_string(gameId)) + u".ico";
        choice.iconPath = gamePath;
        return choice;
    }
    const auto accelerated = std::find_if(processes.begin(), processes.end(), [](const auto& row) {
        return row.accelerated && row.state == engine::kStateRunning;
    });
    if (accelerated != processes.end()) {
        choice.name = accelerated->name;
        choice.iconPath = accelerated->path;
    }
    return choice;
}

int AccStateListHeight(std::size_t rows, int rowHeight, int headerHeight) {
    const int shown = static_cast<int>(std::clamp<std::size_t>(rows, 1, kAccStateMaxRows));
    // The list's border takes two pixels at the top and two at the bottom.
    return headerHeight + shown * rowHeight + 4;
}

}  // namespace ui
