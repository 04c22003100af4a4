#pragma once

// What the acceleration-state pop-up shows, apart from the window code: the state line, the usage
// figures, the description above the list, which logo it takes, and where its controls go for a
// given number of rows.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/traffic_snapshots.h"

namespace ui {

// "网游加速：已加速" while the accelerator accelerates (state 1), else "网游加速：尚未加速游戏".
std::u16string AccelerationStateText(std::uint32_t accelerationState);

// The two usage texts; a text that is not shown is empty and hidden.
struct UsageTexts {
    std::u16string first;
    std::u16string second;
};
// While accelerating without an unhandled alarm: "网游：" with the game's volume and "其它：" with the
// rest; with one: only "异常流量：" with the rest; otherwise neither.
UsageTexts ChooseUsageTexts(std::uint32_t accelerationState, bool hasUnhandledAlarm,
                            const std::u16string& gameVolume, const std::u16string& otherVolume);

// "当前有N个进程可能会影响您网游加速效果，建议关闭下列进程".
std::u16string AccStateDescription(std::size_t rows);

// Where the logo and the game's name come from while accelerating.
struct LogoChoice {
    std::u16string name;
    // "gamelogo\N.ico" under the program's directory, tried first; empty when there is no game id.
    std::u16string logoFile;
    // Whose file icon stands in: the path given with the game, or the accelerated process's own.
    std::u16string iconPath;
};
// With a game id above 0: the stored name, its logo file, and the given path after it. Without: the
// first running accelerated process's name and path (nothing when none runs).
LogoChoice ChooseLogo(std::int32_t gameId, const std::u16string& gameName, const std::u16string& gamePath,
                      const std::vector<engine::ProcessRow>& processes);

// The list's height for its rows: at least one and at most kAccStateMaxRows rows show without
// scrolling; the window grows with it.
inline constexpr std::size_t kAccStateMaxRows = 6;
int AccStateListHeight(std::size_t rows, int rowHeight, int headerHeight);

}  // namespace ui
