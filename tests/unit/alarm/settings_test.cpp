// The settings values, writers and readers against the real profile functions.

#include "alarm/settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <tuple>

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
        {u"", 0}, {u"\t\r\n 5", 5}, {u"+7", 7}, {u"-7", -7}, {u"- 7", 0}, {u"+-7", 0}, {u"12abc", 12},
        {u"2147483648", kMax}, {u"-2147483648", kMin}, {u"-2147483649", kMin}, {u"99999999999999999999999", kMax},
        // Full-width and other decimal digits, and the wider white space, as _wtoi reads them.
        {u"-１2٣", -123}, {u"\u3000１", 1}, {u"\u00a07", 7}, {u"\u2003\u205f8", 8}, {u"\u0085 1", 0},
        {u"－１", 0}, {u"\u00b2", 0}, {u"\uff21", 0},
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

constexpr Flags kSevens{7, 7, 7, 7, 7};

class SettingsWriters : public ::testing::Test {
  protected:
    void SetUp() override { kSevens.Store(); }
    alarm_test::FlagsGuard guard_;
};

// A writer changes exactly the keys it names; the flags it sets in memory are never read back from the
// file by it.
TEST_F(SettingsWriters, EachWritesExactlyItsKeys) {
    using alarming::SaveThresholdSettings, alarming::SetAlarmEnabled, alarming::WriteAlarmSetting,
        alarming::WriteShowAndAlarm, alarming::WriteSuspensionSettings;
    const std::tuple<std::function<bool(const ProgramDirectory&)>, const char*, Flags> cases[] = {
        // The settings dialog: any SHOW but 0 shows, only ALARM 1 alarms.
        {[](auto& d) { return WriteShowAndAlarm(d, 2, 2); }, "1|8,9|0|1|2|3|4|5", kSevens},
        {[](auto& d) { return WriteShowAndAlarm(d, 0, 1); }, "0|8,9|1|1|2|3|4|5", kSevens},
        // The threshold dialog.
        {[](auto& d) { return SaveThresholdSettings(d, u"65", 0); }, "0|8,9|7|1|2|3|4|65", kSevens},
        // The pop-up's close.
        {[](auto& d) { return WriteAlarmSetting(d, 1); }, "7|8,9|1|1|2|3|4|5", kSevens},
        // The floating window, created or not yet.
        {[](auto& d) {
             return WriteSuspensionSettings(d, 0, WindowOrigin{-3, 40});
         },
         "0|-3,40|7|1|2|3|4|5",
         {0, 7, 7, 7, 7}},
        {[](auto& d) { return WriteSuspensionSettings(d, 1, std::nullopt); },
         "1|8,9|7|1|2|3|4|5",
         {1, 7, 7, 7, 7}},
        // The plugin's byte is stored as given, the file gets "0" for anything but 1.
        {[](auto& d) { return SetAlarmEnabled(d, 2); }, "7|8,9|0|1|2|3|4|5", {7, 2, 7, 7, 7}},
        // The readers write nothing; SHOW is read as it is.
        {[](auto& d) { return alarming::RefreshAlarmEnabled(d) == 0 && alarming::ReadShowSetting(d) == 7; },
         "7|8,9|7|1|2|3|4|5",
         {7, 0, 7, 7, 7}},
    };
    for (const auto& [write, expected, flags] : cases) {
        ProgramFolder folder;
        folder.Settings(kSettings);
        folder.AlarmConfig(kAlarm);
        kSevens.Store();
        EXPECT_TRUE(write(folder.Directory())) << expected;
        EXPECT_EQ(Keys(folder), expected);
        EXPECT_EQ(Flags::Now(), flags) << expected;
    }
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

}  // namespace
