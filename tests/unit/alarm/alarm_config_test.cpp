// The settings file and config\Alarm.txt against the real profile functions (the project's INI code on
// Linux, the system's under Wine): LoadConfig, the single readers and writers, the numbers as the run
// time reads them, and the shipped files.

#include "alarm/alarm_config.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <limits>
#include <string>
#include <tuple>

#include "alarm/settings.h"
#include "alarm_test_files.h"
#include "base/text.h"

namespace {

using alarm_test::Flags;
using alarm_test::ProgramFolder;
using alarming::AlarmConfig;
using alarming::LoadConfig;
using alarming::ProgramDirectory;
using alarming::WindowOrigin;
using testing_support::ReadFileBytes;

constexpr std::u16string_view kAlarm = alarming::kAlarmConfigName;

// Flags nothing would set by itself, so that every value a load leaves is one it wrote.
constexpr Flags kStale{7, 7, 77, 77, 1};

using Thresholds = std::array<std::int32_t, 5>;  // volumes down, up; speeds down, up; percentage
constexpr Thresholds kDefaults{5000, 1000, 100, 50, 50};

Thresholds Of(const AlarmConfig& c) {
    return {c.DownLoadReFlux, c.UpLoadReFlux, c.DownLoadSpeed, c.UpLoadSpeed, c.Percentage};
}

// The readers of single settings take the file as it is and write nothing; the flags as LoadConfig
// would set them.
Flags Readers(const ProgramDirectory& d) {
    const alarming::Location l = alarming::ReadStoredLocation(d);
    const std::uint32_t alarm = alarming::RefreshAlarmEnabled(d);
    EXPECT_EQ(alarming::AlarmEnabled.load(), alarm);
    return {alarming::ReadShowSetting(d) != 0 ? 1u : 0u, alarm, l.x, l.y, 0};
}

class LoadConfigTest : public ::testing::Test {
  protected:
    void SetUp() override { kStale.Store(); }
    Thresholds Load(const ProgramFolder& folder) {
        AlarmConfig config;
        config.DownLoadReFlux = config.UpLoadReFlux = config.DownLoadSpeed = config.UpLoadSpeed =
            config.Percentage = -9;
        EXPECT_EQ(LoadConfig(config, folder.Directory(), kAlarm), 1);
        return Of(config);
    }
    alarm_test::FlagsGuard guard_;
};

TEST_F(LoadConfigTest, WithoutASettingsFile) {
    AlarmConfig config;
    EXPECT_EQ(LoadConfig(config, ProgramDirectory(u""), kAlarm), 1);
    EXPECT_EQ(Of(config), kDefaults);
    ProgramFolder folder;
    for (const auto& d : {ProgramDirectory(u""), folder.Directory()}) {
        EXPECT_EQ(Readers(d), (Flags{1, 1, -1, -1, 0}));
    }
    // Without tmp the program runs on defaults and creates nothing; the reload flag is left as it was.
    EXPECT_EQ(Load(folder), kDefaults);
    EXPECT_EQ(Flags::Now(), (Flags{1, 1, -1, -1, 1}));
    EXPECT_FALSE(folder.Has("tmp"));
    // With tmp the file is made with its three keys, in this order, and the next load reads it.
    folder.MakeTmp();
    for (const std::uint32_t reloadPending : {1u, 0u}) {
        kStale.Store();
        Load(folder);
        EXPECT_EQ(Flags::Now(), (Flags{1, 1, -1, -1, reloadPending}));
    }
    const std::string text = ReadFileBytes(folder.File(alarming::kSettingsFileName));
    EXPECT_LT(text.find("SHOW=1"), text.find("LOCATION=-1, -1"));
    EXPECT_LT(text.find("LOCATION"), text.find("[ALARM]\r\nALARM=1"));
}

// Values are taken as the run time reads numbers; an empty or missing key is written back with its
// default and taken, and a complete file is left as it was.
TEST_F(LoadConfigTest, SettingsFile) {
    const auto file = [](const char* show, const char* location, const char* alarm) {
        return std::string("[SUSPENSION]\r\nSHOW=") + show + "\r\nLOCATION=" + location +
               "\r\n[ALARM]\r\nALARM=" + alarm + "\r\n";
    };
    const std::tuple<std::string, Flags, bool> cases[] = {
        // the bytes, the flags, whether keys are written
        {file("1", "10,20", "1"), {1, 1, 10, 20, 0}, false},
        {file("1", "300", "1"), {1, 1, -1, -1, 0}, false},  // no comma, no position
        {file("2", ",0", "2"), {1, 0, 0, 0, 0}, false},     // any SHOW but 0 shows, only ALARM 1 alarms
        {file("0x1", "  120 ,  45 ", "+01abc"), {0, 1, 120, 45, 0}, false},
        // A value is read into 20 characters: the 1 after 19 zeros never arrives.
        {file("00000000000000000001", "1,                234", "1"), {0, 1, 1, 2, 0}, false},
        {"[SUSPENSION]\r\nSHOW=\r\nLOCATION=\r\n[ALARM]\r\nALARM=\r\n", {1, 1, -1, -1, 0}, true},
        {file("0", "", "0"), {0, 0, -1, -1, 0}, true},
    };
    for (const auto& [bytes, expected, written] : cases) {
        SCOPED_TRACE(bytes);
        ProgramFolder folder;
        folder.Settings(bytes);
        EXPECT_EQ(Readers(folder.Directory()), expected);
        kStale.Store();
        Load(folder);
        EXPECT_EQ(Flags::Now(), expected);
        if (written) {
            EXPECT_EQ(Readers(folder.Directory()), expected) << "written back";
        } else {
            EXPECT_EQ(ReadFileBytes(folder.File(alarming::kSettingsFileName)), bytes);
        }
    }
}

TEST(DecimalValue, ReadsLikeTheRunTimesWtoi) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    // clang-format off
    const std::pair<std::u16string_view, std::int32_t> cases[] = {
        {u"", 0}, {u"\t\r\n 5", 5}, {u"+7", 7}, {u"-7", -7}, {u"- 7", 0}, {u"+-7", 0}, {u"12abc", 12},
        {u"2147483648", kMax}, {u"-2147483648", kMin}, {u"-2147483649", kMin}, {u"99999999999999999999999", kMax},
        // Full-width and other decimal digits, and the wider white space, as _wtoi reads them.
        {u"-１2٣", -123}, {u"\u3000１", 1}, {u"\u00a07", 7}, {u"\u2003\u205f8", 8}, {u"\u0085 1", 0},
        {u"－１", 0}, {u"\u00b2", 0}, {u"\uff21", 0}, {u"\uff19\uff1a", 9}, {u"\u0be75", 0},
    };
    // clang-format on
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(alarming::DecimalValue(text), value) << base::Utf16ToUtf8(text);
    }
}

const std::string kSettings = "[SUSPENSION]\r\nSHOW=7\r\nLOCATION=8,9\r\n[ALARM]\r\nALARM=7\r\n";
// The keys a writer may touch, "|" between them: SHOW, LOCATION, ALARM.
std::string Keys(const ProgramFolder& f) {
    return base::Utf16ToUtf8(f.Setting(u"SUSPENSION", u"SHOW") + u"|" +
                             f.Setting(u"SUSPENSION", u"LOCATION") + u"|" + f.Setting(u"ALARM", u"ALARM"));
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
    using alarming::SetAlarmEnabled, alarming::WriteAlarmSetting, alarming::WriteShowAndAlarm,
        alarming::WriteSuspensionSettings;
    // clang-format off
    const std::tuple<std::function<bool(const ProgramDirectory&)>, const char*, Flags> cases[] = {
        // The settings dialog: any SHOW but 0 shows, only ALARM 1 alarms.
        {[](auto& d) { return WriteShowAndAlarm(d, 2, 2); }, "1|8,9|0", kSevens},
        // The pop-up's close.
        {[](auto& d) { return WriteAlarmSetting(d, 1); }, "7|8,9|1", kSevens},
        // The floating window, created or not yet.
        {[](auto& d) { return WriteSuspensionSettings(d, 0, WindowOrigin{-3, 40}); }, "0|-3,40|7", {0, 7, 7, 7, 7}},
        {[](auto& d) { return WriteSuspensionSettings(d, 1, std::nullopt); }, "1|8,9|7", {1, 7, 7, 7, 7}},
        // The plugin's byte is stored as given, the file gets "0" for anything but 1.
        {[](auto& d) { return SetAlarmEnabled(d, 2); }, "7|8,9|0", {7, 2, 7, 7, 7}},
    };
    // clang-format on
    for (const auto& [write, expected, flags] : cases) {
        ProgramFolder folder;
        folder.Settings(kSettings);
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
    EXPECT_FALSE(alarming::WriteSuspensionSettings(d, 0, WindowOrigin{1, 2}));
    EXPECT_EQ(alarming::ShowSuspension.load(), 0u);  // memory changes even when the file cannot
    EXPECT_FALSE(alarming::SetAlarmEnabled(d, 0));
    EXPECT_EQ(alarming::AlarmEnabled.load(), 0u);
    EXPECT_FALSE(alarming::SaveThresholdSettings(d, u"40", 1));
    EXPECT_FALSE(folder.Has("tmp") || folder.Has("config"));
    // A missing tmp only fails the second write.
    ProgramFolder other;
    other.AlarmConfig("");
    EXPECT_FALSE(alarming::SaveThresholdSettings(other.Directory(), u"40", 1));
    EXPECT_EQ(other.Threshold(u"PERCENTAGE", u"Percentage"), u"40");
}

}  // namespace
