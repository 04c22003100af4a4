// LoadConfig, the stored location and the shipped files against the real profile functions: the
// project's INI code on Linux, the system's under Wine.

#include "alarm/alarm_config.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>

#include "alarm/black_list_detector.h"
#include "alarm/list_files.h"
#include "alarm/settings.h"
#include "alarm_test_files.h"
#include "base/file.h"
#include "base/module_path.h"
#include "base/text.h"
#include "engine/name_lists.h"

namespace {

using alarm_test::Flags;
using alarm_test::ProgramFolder;
using alarm_test::Utf16Le;
using alarming::AlarmConfig;
using alarming::LoadConfig;
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
Flags Readers(const alarming::ProgramDirectory& d) {
    const alarming::Location l = alarming::ReadStoredLocation(d);
    const std::uint32_t alarm = alarming::RefreshAlarmEnabled(d);
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
    EXPECT_EQ(LoadConfig(config, alarming::ProgramDirectory(u""), kAlarm), 1);
    EXPECT_EQ(Of(config), kDefaults);
    ProgramFolder folder;
    for (const auto& d : {alarming::ProgramDirectory(u""), folder.Directory()}) {
        EXPECT_EQ(Readers(d), (Flags{1, 1, -1, -1, 0}));
    }
    // Without tmp the program runs on defaults and creates nothing; the reload flag is left as it was.
    kStale.Store();
    EXPECT_EQ(Load(folder), kDefaults);
    EXPECT_EQ(Flags::Now(), (Flags{1, 1, -1, -1, 1}));
    EXPECT_FALSE(folder.Has("tmp"));

    // With tmp the file is made with its three keys, in this order, and the next load reads it.
    folder.MakeTmp();
    kStale.Store();
    Load(folder);
    EXPECT_EQ(Flags::Now(), (Flags{1, 1, -1, -1, 1}));
    const std::string text = ReadFileBytes(folder.File(alarming::kSettingsFileName));
    EXPECT_LT(text.find("SHOW=1"), text.find("LOCATION=-1, -1"));
    EXPECT_LT(text.find("LOCATION"), text.find("[ALARM]\r\nALARM=1"));
    kStale.Store();
    Load(folder);
    EXPECT_EQ(Flags::Now(), (Flags{1, 1, -1, -1, 0}));
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
        {file("2", "0,0", "2"), {1, 0, 0, 0, 0}, false},    // any SHOW but 0 shows, only ALARM 1 alarms
        {file("0x1", "  120 ,  45 ", "+01abc"), {0, 1, 120, 45, 0}, false},
        // A value is read into 20 characters: the 1 after 19 zeros never arrives.
        {file("00000000000000000001", "1,                234", "1"), {0, 1, 1, 2, 0}, false},
        {"[suspension]\r\nshow=0\r\nlocation=4,5\r\n[alarm]\r\nalarm=0\r\n", {0, 0, 4, 5, 0}, false},
        {Utf16Le(u"[SUSPENSION]\r\nSHOW=0\r\nLOCATION=6,7\r\n[ALARM]\r\nALARM=1\r\n"),
         {0, 1, 6, 7, 0},
         false},
        {"", {1, 1, -1, -1, 0}, true},
        {"[SUSPENSION]\r\nSHOW=\r\nLOCATION=\r\n[ALARM]\r\nALARM=\r\n", {1, 1, -1, -1, 0}, true},
        {"[\xB1\xA8\xBE\xAF]\r\nSHOW=0\r\n", {1, 1, -1, -1, 0}, true},  // a section named in GBK
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
        if (!written) {
            EXPECT_EQ(ReadFileBytes(folder.File(alarming::kSettingsFileName)), bytes);
            continue;
        }
        EXPECT_EQ(folder.Setting(u"SUSPENSION", u"SHOW"), expected.show ? u"1" : u"0");
        EXPECT_EQ(folder.Setting(u"SUSPENSION", u"LOCATION"), u"-1, -1");
        EXPECT_EQ(folder.Setting(u"ALARM", u"ALARM"), expected.alarm ? u"1" : u"0");
    }
}

TEST_F(LoadConfigTest, Thresholds) {
    const std::pair<std::string, Thresholds> cases[] = {
        {"", kDefaults},
        {"[REFLUX]\r\nDownLoadReFlux=6000\r\nUpLoadReFlux=1200\r\n[SPEED]\r\nDownLoadSpeed=300\r\n"
         "UpLoadSpeed=80\r\n[PERCENTAGE]\r\nPercentage=70\r\n",
         {6000, 1200, 300, 80, 70}},
        // Read as the profile reads numbers: an empty value is the default, hex is taken.
        {"[SPEED]\r\nDownLoadSpeed=\r\nUpLoadSpeed=12kb\r\n[PERCENTAGE]\r\nPercentage=abc\r\n"
         "[REFLUX]\r\nDownLoadReFlux=-5\r\nUpLoadReFlux=0x20\r\n",
         {-5, 32, 100, 12, 0}},
        {Utf16Le(u"[PERCENTAGE]\r\nPercentage=250\r\n"), {5000, 1000, 100, 50, 250}},  // kept as written
        {"[\xB1\xA8\xBE\xAF]\r\nPercentage=\xCE\xE5\xCA\xAE\r\n", kDefaults},  // GBK names match nothing
    };
    for (const auto& [bytes, expected] : cases) {
        SCOPED_TRACE(bytes);
        ProgramFolder folder;
        folder.AlarmConfig(bytes);
        EXPECT_EQ(Load(folder), expected);
    }
}

// The files the build copies beside the program, read where the program reads them.
TEST_F(LoadConfigTest, TheShippedAlarmFileHoldsTheDefaults) {
    std::string bytes;
    ASSERT_TRUE(base::ReadWholeFile(base::ProgramPath(kAlarm), bytes));
    ProgramFolder folder;  // so that no settings file is ever made beside the program
    folder.AlarmConfig(bytes);
    EXPECT_EQ(Load(folder), kDefaults);
}

TEST(ShippedConfig, ListsAreReadableAndConsistent) {
    alarming::BlackListDetector detector;
    ASSERT_EQ(detector.LoadBlackList(alarming::kBlackListName), 1);
    const auto& black = detector.BlackList();
    ASSERT_FALSE(black.empty());
    alarming::WhiteList white;
    ASSERT_EQ(white.Load(alarming::ProgramDirectory(), alarming::kWhiteListName), 1);
    ASSERT_FALSE(white.Entries().empty());
    for (std::size_t i = 0; i < black.size(); ++i) {
        SCOPED_TRACE(base::Utf16ToUtf8(black[i].name));
        EXPECT_FALSE(black[i].description.empty());
        // A second entry of the same name would never be reached; a white-listed one never reported.
        for (std::size_t j = 0; j < i; ++j) {
            EXPECT_FALSE(engine::EqualsIgnoringCase(black[i].name, black[j].name));
        }
        EXPECT_EQ(white.IsWhiteListed(black[i].name), 0);
    }
    for (const auto& entry : white.Entries()) {
        EXPECT_FALSE(entry.name.empty() || entry.description.empty());
    }
}

}  // namespace
