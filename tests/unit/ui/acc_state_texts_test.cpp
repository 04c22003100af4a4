#include <gtest/gtest.h>

#include "engine/process_records.h"
#include "ui/acc_state_texts.h"

namespace {

TEST(AccStateTexts, StateLineFollowsTheAccelerator) {
    EXPECT_EQ(ui::AccelerationStateText(1), u"网游加速：已加速");
    EXPECT_EQ(ui::AccelerationStateText(0), u"网游加速：尚未加速游戏");
    EXPECT_EQ(ui::AccelerationStateText(2), u"网游加速：尚未加速游戏");
}

TEST(AccStateTexts, UsageFigures) {
    const ui::UsageTexts calm = ui::ChooseUsageTexts(1, false, u"1.5MB", u"20KB");
    EXPECT_EQ(calm.first, u"网游：1.5MB");
    EXPECT_EQ(calm.second, u"其它：20KB");
    // Any state but 0 counts as accelerating here.
    const ui::UsageTexts alarmed = ui::ChooseUsageTexts(2, true, u"1.5MB", u"20KB");
    EXPECT_EQ(alarmed.first, u"异常流量：20KB");
    EXPECT_EQ(alarmed.second, u"");
    const ui::UsageTexts idle = ui::ChooseUsageTexts(0, true, u"1.5MB", u"20KB");
    EXPECT_TRUE(idle.first.empty() && idle.second.empty());
}

TEST(AccStateTexts, DescriptionCountsTheRows) {
    EXPECT_EQ(ui::AccStateDescription(3), u"当前有3个进程可能会影响您网游加速效果，建议关闭下列进程");
}

TEST(AccStateTexts, LogoFromTheGameIdElseTheAcceleratedProcess) {
    const auto row = [](std::uint32_t pid, std::u16string name, std::u16string path, std::uint32_t state) {
        engine::ProcessRow process;
        process.pid = pid;
        process.name = std::move(name);
        process.path = std::move(path);
        process.state = state;
        process.accelerated = true;
        return process;
    };
    const engine::ProcessRow exited = row(5, u"Old.exe(已关闭)", u"C:\\old.exe", engine::kStateExited);
    const engine::ProcessRow game = row(7, u"Game.exe", u"C:\\g\\Game.exe", engine::kStateRunning);
    const std::vector<engine::ProcessRow> rows{exited, game};

    const ui::LogoChoice byId = ui::ChooseLogo(12, u"Fancy Game", u"C:\\x\\fancy.exe", rows);
    EXPECT_EQ(byId.name, u"Fancy Game");
    EXPECT_EQ(byId.logoFile, u"gamelogo\\12.ico");
    EXPECT_EQ(byId.iconPath, u"C:\\x\\fancy.exe");

    const ui::LogoChoice byProcess = ui::ChooseLogo(0, u"Fancy Game", u"C:\\x\\fancy.exe", rows);
    EXPECT_EQ(byProcess.name, u"Game.exe");
    EXPECT_TRUE(byProcess.logoFile.empty());
    EXPECT_EQ(byProcess.iconPath, u"C:\\g\\Game.exe");

    EXPECT_TRUE(ui::ChooseLogo(-1, u"", u"", {exited}).name.empty());
}

TEST(AccStateTexts, ListGrowsWithItsRowsUpToALimit) {
    // A 20-pixel header and 16-pixel rows, two pixels of border at each end.
    EXPECT_EQ(ui::AccStateListHeight(0, 16, 20), 20 + 16 + 4);
    EXPECT_EQ(ui::AccStateListHeight(2, 16, 20), 20 + 32 + 4);
    EXPECT_EQ(ui::AccStateListHeight(50, 16, 20), 20 + 16 * static_cast<int>(ui::kAccStateMaxRows) + 4);
}

}  // namespace
