// The settings values, writers and readers against the real profile functions.

#include "alarm/settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

#include "alarm/alarm_config.h"
#include "alarm_test_files.h"
#include "base/text.h"

namespace {

using alarm_test::Flags;
using alarm_test::ProgramFolder;
using alarming::ProgramDirectory;
using alarming::WindowOrigin;

TEST(DecimalValue, ReadsLikeTheRunTimesWtoi) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    // clang-format off
    const std::pair<std::u16string_view, std::int32_t> cases[] = {
        {u"", 0}, {u"abc", 0}, {u"42", 42}, {u"  42", 42}, {u"\t\r\n 5", 5}, {u"+7", 7}, {u"-7", -7},
        {u"- 7", 0}, {u"+-7", 0}, {u"12abc", 12}, {u"0x10", 0}, {u"007", 7},
        {u"2147483647", kMax}, {u"2147483648", kMax}, {u"-2147483648", kMin}, {u"-2147483649", kMin},
        {u"99999999999999999999999", kMax},
        // Full-width and other decimal digits, and the wider white space, as _wtoi reads them.
        {u"１", 1}, {u"１２", 12}, {u"-１２", -12}, {u"１2٣", 123}, {u"\u3000１", 1}, {u"\u00a07", 7},
        {u"\u2003\u205f8", 8}, {u"\u0085 1", 0}, {u"－１", 0}, {u"１２３４５６７８９０１", kMax},
        {u"\u2070", 0}, {u"\u00b2", 0}, {u"\u2460", 0}, {u"\u3007", 0}, {u"\uff21", 0},
    };
    // clang-format on
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(alarming::DecimalValue(text), value) << base::Utf16ToUtf8(text);
    }
    // The zero of each block of ten digits _wtoi reads (checked under Wine's msvcrt), and of blocks it
    // does not.
    const std::u16string_view known =
        u"0\u0660\u06f0\u0966\u09e6\u0a66\u0ae6\u0b66\u0c66\u0ce6\u0d66\u0e50"
        u"\u0ed0\u0f20\u1040\u17e0\u1810\uff10";
    const std::u16string_view unknown = u"\u07c0\u0be6\u0de6\u1090\u1946\u19d0\u1a80\u1b50\ua620\ua8d0\uabf0";
    for (const auto& [zeros, read] : {std::pair{known, true}, std::pair{unknown, false}}) {
        for (const char16_t zero : zeros) {
            for (int d = 0; d < 10; ++d) {
                const char16_t text[] = {static_cast<char16_t>(zero + d), u'5'};
                EXPECT_EQ(alarming::DecimalValue({text, 2}), read ? d * 10 + 5 : 0)
                    << std::hex << int(zero) << "+" << d;
            }
        }
    }
}

TEST(ParseLocation, SplitsAtTheFirstComma) {
    const struct {
        std::u16string_view value;
        std::int32_t x, y;
    } cases[] = {
        {u"-1, -1", -1, -1},  {u"  120 ,  45 ", 120, 45},
        {u"abc", -1, -1},     {u",7", 0, 7},
        {u"7,", 7, 0},        {u",", 0, 0},
        {u"", -1, -1},        {u"1,2,3", 1, 2},
        {u"3 4", -1, -1},     {u"a1,b2", 0, 0},
        {u"10,20px", 10, 20},
    };
    for (const auto& c : cases) {
        const alarming::Location l = alarming::ParseLocation(c.value);
        EXPECT_EQ(std::make_pair(l.x, l.y), std::make_pair(c.x, c.y)) << base::Utf16ToUtf8(c.value);
    }
}

const std::string kSettings = "[SUSPENSION]\r\nSHOW=7\r\nLOCATION=8,9\r\n[ALARM]\r\nALARM=7\r\n";
const std::string kAlarm =
    "[REFLUX]\r\nDownLoadReFlux=1\r\nUpLoadReFlux=2\r\n[SPEED]\r\nDownLoadSpeed=3\r\nUpLoadSpeed=4\r\n"
    "[PERCENTAGE]\r\nPercentage=5\r\n";

// Every key either file can hold, "|" between them: SHOW, LOCATION, ALARM, the volumes down and up, the
// speeds down and up, Percentage.
std::string Keys(const ProgramFolder& f) {
    std::u16string keys = f.Setting(u"SUSPENSION", u"SHOW") + u"|" + f.Setting(u"SUSPENSION", u"LOCATION") +
                          u"|" + f.Setting(u"ALARM", u"ALARM");
    for (const auto& [section, key] : {std::pair{u"REFLUX", u"DownLoadReFlux"},
                                       {u"REFLUX", u"UpLoadReFlux"},
                                       {u"SPEED", u"DownLoadSpeed"},
                                       {u"SPEED", u"UpLoadSpeed"},
                                       {u"PERCENTAGE", u"Percentage"}}) {
        keys += u"|" + f.Threshold(section, key);
    }
    return base::Utf16ToUtf8(keys);
}

class SettingsWriters : public ::testing::Test {
  protected:
    void SetUp() override { Flags{7, 7, 7, 7, 7}.Store(); }
    alarm_test::FlagsGuard guard_;
};

// A writer changes exactly the keys it names.
TEST_F(SettingsWriters, EachWritesExactlyItsKeys) {
    using alarming::SaveThresholdSettings, alarming::SetAlarmEnabled, alarming::WriteAlarmSetting,
        alarming::WriteShowAndAlarm, alarming::WriteSuspensionSettings;
    const std::pair<std::function<bool(const ProgramDirectory&)>, const char*> cases[] = {
        // The settings dialog: any SHOW but 0 shows, only ALARM 1 alarms.
        {[](auto& d) { return WriteShowAndAlarm(d, 1, 0); }, "1|8,9|0|1|2|3|4|5"},
        {[](auto& d) { return WriteShowAndAlarm(d, 2, 2); }, "1|8,9|0|1|2|3|4|5"},
        {[](auto& d) { return WriteShowAndAlarm(d, 0, 1); }, "0|8,9|1|1|2|3|4|5"},
        // The threshold dialog.
        {[](auto& d) { return SaveThresholdSettings(d, u"65", 0); }, "0|8,9|7|1|2|3|4|65"},
        {[](auto& d) { return SaveThresholdSettings(d, u"100", 1); }, "1|8,9|7|1|2|3|4|100"},
        // The pop-up's close: "1" for alarms on, "0" for any other value.
        {[](auto& d) { return WriteAlarmSetting(d, 1); }, "7|8,9|1|1|2|3|4|5"},
        {[](auto& d) { return WriteAlarmSetting(d, 2); }, "7|8,9|0|1|2|3|4|5"},
        // The floating window, created or not yet.
        {[](auto& d) {
             return WriteSuspensionSettings(d, 0, WindowOrigin{-3, 40});
         },
         "0|-3,40|7|1|2|3|4|5"},
        {[](auto& d) { return WriteSuspensionSettings(d, 1, std::nullopt); }, "1|8,9|7|1|2|3|4|5"},
        // The plugin's switch, and the readers, which write nothing.
        {[](auto& d) { return SetAlarmEnabled(d, 0); }, "7|8,9|0|1|2|3|4|5"},
        {[](auto& d) { return SetAlarmEnabled(d, 1); }, "7|8,9|1|1|2|3|4|5"},
        {[](auto& d) { return alarming::RefreshAlarmEnabled(d) == 0; }, "7|8,9|7|1|2|3|4|5"},
        {[](auto& d) { return alarming::ReadShowSetting(d) == 7; }, "7|8,9|7|1|2|3|4|5"},
    };
    for (const auto& [write, expected] : cases) {
        ProgramFolder folder;
        folder.Settings(kSettings);
        folder.AlarmConfig(kAlarm);
        EXPECT_TRUE(write(folder.Directory())) << expected;
        EXPECT_EQ(Keys(folder), expected);
    }
}

TEST_F(SettingsWriters, FlagsFollowTheWritersAndThePositionIsLoadedAgain) {
    ProgramFolder folder;
    folder.Settings(kSettings);
    alarming::WriteSuspensionSettings(folder.Directory(), 0, std::nullopt);
    EXPECT_EQ(alarming::ShowSuspension.load(), 0u);
    alarming::WriteSuspensionSettings(folder.Directory(), 1, WindowOrigin{640, -12});
    EXPECT_EQ(alarming::ShowSuspension.load(), 1u);
    // The plugin's byte is stored as given, the file gets "0" for anything but 1.
    alarming::SetAlarmEnabled(folder.Directory(), 2);
    EXPECT_EQ(alarming::AlarmEnabled.load(), 2u);
    EXPECT_EQ(folder.Setting(u"ALARM", u"ALARM"), u"0");
    // The position and the other flags are only written, never taken.
    EXPECT_EQ(Flags::Now(), (Flags{1, 2, 7, 7, 7}));
    alarming::AlarmConfig config;
    alarming::LoadConfig(config, folder.Directory(), alarming::kAlarmConfigName);
    EXPECT_EQ(Flags::Now(), (Flags{1, 0, 640, -12, 0}));
}

TEST_F(SettingsWriters, MissingDirectoriesFailAndAreNotCreated) {
    ProgramFolder folder;
    const ProgramDirectory& d = folder.Directory();
    EXPECT_FALSE(alarming::WriteShowAndAlarm(d, 1, 1));
    EXPECT_FALSE(alarming::WriteAlarmSetting(d, 1));
    EXPECT_FALSE(alarming::WriteSuspensionSettings(d, 0, WindowOrigin{1, 2}));
    EXPECT_EQ(alarming::ShowSuspension.load(), 0u);  // memory changes even when the file cannot
    EXPECT_FALSE(alarming::SetAlarmEnabled(d, 0));
    EXPECT_EQ(alarming::AlarmEnabled.load(), 0u);
    EXPECT_FALSE(alarming::SaveThresholdSettings(d, u"40", 1));
    EXPECT_FALSE(folder.Has("tmp") || folder.Has("config"));

    // The threshold save stops at the failed "Percentage": SHOW keeps its value...
    folder.Settings(kSettings);
    EXPECT_FALSE(alarming::SaveThresholdSettings(d, u"40", 1));
    EXPECT_EQ(folder.Setting(u"SUSPENSION", u"SHOW"), u"7");
    // ...while a missing tmp only fails the second write.
    ProgramFolder other;
    other.AlarmConfig(kAlarm);
    EXPECT_FALSE(alarming::SaveThresholdSettings(other.Directory(), u"40", 1));
    EXPECT_EQ(other.Threshold(u"PERCENTAGE", u"Percentage"), u"40");
}

TEST_F(SettingsWriters, ReadersCountEmptyAndMissingAsOn) {
    const struct {
        const char* file;  // nullptr: no settings file
        std::uint32_t enabled;
        std::int32_t show;
    } cases[] = {
        {"[ALARM]\r\nALARM=1\r\n[SUSPENSION]\r\nSHOW=0\r\n", 1, 0},
        {"[ALARM]\r\nALARM=0\r\n[SUSPENSION]\r\nSHOW=3\r\n", 0, 3},
        {"[ALARM]\r\nALARM=2\r\n", 0, 1},
        {"[ALARM]\r\nALARM=\r\n[SUSPENSION]\r\nSHOW=\r\n", 1, 1},
        {"", 1, 1},
        {"[ALARM]\r\nALARM=x\r\n", 0, 1},
        {nullptr, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file ? c.file : "(no file)");
        ProgramFolder folder;
        if (c.file != nullptr) {
            folder.Settings(c.file);
        }
        alarming::AlarmEnabled = 7;
        EXPECT_EQ(alarming::RefreshAlarmEnabled(folder.Directory()), c.enabled);
        EXPECT_EQ(alarming::AlarmEnabled.load(), c.enabled);
        EXPECT_EQ(alarming::ReadShowSetting(folder.Directory()), c.show);
    }
}

}  // namespace
