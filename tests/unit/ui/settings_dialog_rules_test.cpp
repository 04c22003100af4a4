// The settings and threshold dialogs' paths: what each writes, what it leaves
// alone, the floating window it switches and the reload signal.

#include "ui/settings_dialog_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "alarm/settings.h"
#include "unit/alarm/alarm_test_files.h"

namespace {

using alarm_test::Flags;
using alarm_test::ProgramFolder;

// Records the requests as letters: c(reate and show), s(how), h(ide).
class FakeFloating final : public ui::IFloatingSwitch {
  public:
    bool HasWindow() override { return exists; }
    bool IsVisible() override { return visible; }
    void CreateAndShow() override { calls += 'c'; }
    void Show() override { calls += 's'; }
    void Hide() override { calls += 'h'; }

    bool exists = true;
    bool visible = true;
    std::string calls;
};

class SettingsDialogTest : public ::testing::Test {
  protected:
    SettingsDialogTest() {
        folder_.Settings("[SUSPENSION]\r\nSHOW=1\r\n[ALARM]\r\nALARM=1\r\n");
        folder_.AlarmConfig("[PERCENTAGE]\r\nPercentage=40\r\n");
    }
    // The files' SHOW, ALARM and Percentage.
    std::u16string Files(const ProgramFolder& folder) const {
        return folder.Setting(alarming::kSuspensionSection, alarming::kShowKey) + u"|" +
               folder.Setting(alarming::kAlarmSection, alarming::kAlarmKey) + u"|" +
               folder.Threshold(alarming::kPercentageSection, alarming::kPercentageKey);
    }

    alarm_test::FlagsGuard guard_;
    ProgramFolder folder_;
    FakeFloating floating_;
};

TEST_F(SettingsDialogTest, SettingDlgOpensFromTheFileWhileAReloadIsPending) {
    folder_.Settings("[SUSPENSION]\r\nSHOW=2\r\n[ALARM]\r\nALARM=2\r\n");
    Flags{0, 1, 0, 0, 1}.Store();
    ui::SettingDlgRules rules(folder_.Directory(), floating_);
    EXPECT_EQ(rules.Open(), (ui::SettingChecks{true, false}));
    EXPECT_EQ(alarming::SettingsReloadPending.load(), 0u);
    Flags{0, 1, 0, 0, 0}.Store();  // no reload pending: the flags as they are
    EXPECT_EQ(rules.Open(), (ui::SettingChecks{false, true}));
}

TEST_F(SettingsDialogTest, SettingDlgShowClickWritesAtOnceAlarmClickWaitsForOk) {
    Flags{1, 1, 0, 0, 0}.Store();
    ui::SettingDlgRules rules(folder_.Directory(), floating_);
    rules.Open();
    rules.ClickAlarm(false);
    EXPECT_EQ(alarming::AlarmEnabled.load(), 0u);
    EXPECT_EQ(Files(folder_),
              u"1|1|40");  // Escape now would keep the file's ALARM
    rules.ClickShow(false);
    EXPECT_EQ(Files(folder_), u"0|0|40");  // the click writes both keys
    floating_.visible = false;
    rules.ClickShow(true);
    floating_.exists = false;
    rules.ClickShow(true);
    EXPECT_EQ(floating_.calls, "hsc");
    rules.ClickAlarm(true);
    EXPECT_TRUE(rules.Ok());
    EXPECT_EQ(Files(folder_), u"1|1|40");
}

// What the user typed, or what the file held when the dialog opened, is kept
// between 30 and 100.
TEST_F(SettingsDialogTest, ThresholdInputAndOpenAreClamped) {
    const std::pair<std::u16string_view, const char16_t*> typed[] = {
        // null: not a number
        {u"5", u"30"},           {u"150", u"100"},          {u"-20", u"30"},
        {u" 75 ", u"75"},        {u"+30", u"30"},           {u"100", u"100"},
        {u"", nullptr},          {u"abc", nullptr},         {u"7a", nullptr},
        {u"-", nullptr},         {u"99999999999", nullptr}, {u"2147483647", u"100"},
        {u"-2147483648", u"30"},
    };
    for (const auto& [input, stored] : typed) {
        const auto value = ui::ParseSignedDecimal(input);
        ASSERT_EQ(value.has_value(), stored != nullptr) << std::string(input.begin(), input.end());
        if (value) {
            EXPECT_EQ(ui::ClampedPercentage(*value), stored);
        }
    }
    // The file's value is read as the run time reads numbers, clamped and written
    // back at once.
    const std::pair<const char*, std::u16string> opened[] = {
        {"10", u"30"}, {"0045", u"0045"}, {"12345678901234567890123", u"100"}};
    for (const auto& [file, expected] : opened) {
        ProgramFolder folder;
        folder.Settings("[SUSPENSION]\r\nSHOW=0\r\n");
        folder.AlarmConfig(std::string("[PERCENTAGE]\r\nPercentage=") + file + "\r\n");
        Flags{1, 1, 0, 0, 0}.Store();
        ui::YuZhiSetRules rules(folder.Directory(), floating_, nullptr);
        EXPECT_FALSE(rules.Open());  // SHOW=0 read, since no reload was pending
        EXPECT_EQ(rules.Percentage(), expected);
        EXPECT_EQ(Files(folder), u"0|(none)|" + expected);
        EXPECT_EQ(alarming::SettingsReloadPending.load(), 1u);
    }
}

TEST_F(SettingsDialogTest, ThresholdSaveCancelAndClick) {
    Flags{1, 1, 0, 0, 1}.Store();
    int reloads = 0;
    ui::YuZhiSetRules rules(folder_.Directory(), floating_, [&reloads] { ++reloads; });
    EXPECT_TRUE(rules.Open());
    EXPECT_EQ(rules.Percentage(), u"40");
    rules.ClickShow(false);
    rules.ClickShow(true);
    EXPECT_EQ(floating_.calls, "hs");
    EXPECT_EQ(alarming::ShowSuspension.load(),
              1u);  // the click waits for the save

    EXPECT_EQ(rules.Ok(u"x", false), ui::ThresholdSave::kNotANumber);
    EXPECT_EQ(alarming::ShowSuspension.load(), 1u);
    rules.Cancel(false);
    EXPECT_EQ(alarming::ShowSuspension.load(), 0u);
    EXPECT_EQ(Files(folder_), u"1|1|40");
    EXPECT_EQ(reloads, 0);

    EXPECT_EQ(rules.Ok(u"150", false), ui::ThresholdSave::kSaved);
    EXPECT_EQ(Files(folder_), u"0|1|100");
    EXPECT_EQ(reloads, 1);
}

TEST_F(SettingsDialogTest, ThresholdSaveFailsWithoutTheConfigDirectory) {
    ProgramFolder folder;
    folder.Settings("[SUSPENSION]\r\nSHOW=1\r\n");
    int reloads = 0;
    ui::YuZhiSetRules rules(folder.Directory(), floating_, [&reloads] { ++reloads; });
    rules.Open();
    EXPECT_EQ(rules.Percentage(), u"50");
    EXPECT_EQ(rules.Ok(u"60", false), ui::ThresholdSave::kWriteFailed);
    EXPECT_EQ(Files(folder), u"1|(none)|(none)");  // SHOW only after Percentage
    EXPECT_EQ(reloads, 0);
}

}  // namespace
