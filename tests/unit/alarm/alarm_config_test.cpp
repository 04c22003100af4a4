// LoadConfig against the real profile functions: the project's INI code on Linux, the system's under
// Wine.

#include "alarm/alarm_config.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "alarm/settings.h"
#include "alarm_test_files.h"
#include "base/file.h"
#include "support/temp_dir.h"

namespace {

using alarm_test::Flags;
using alarm_test::ProgramFolder;
using alarming::AlarmConfig;
using alarming::LoadConfig;

constexpr std::u16string_view kAlarm = alarming::kAlarmConfigName;

// Flags nothing would set by itself, so that every value a load leaves is one it wrote.
constexpr Flags kStale{7, 7, 77, 77, 1};

struct Thresholds {
    std::int32_t down, up, downSpeed, upSpeed, percentage;
    friend bool operator==(const Thresholds&, const Thresholds&) = default;
};

std::ostream& operator<<(std::ostream& out, const Thresholds& t) {
    return out << "{" << t.down << ", " << t.up << ", " << t.downSpeed << ", " << t.upSpeed << ", "
               << t.percentage << "}";
}

Thresholds Of(const AlarmConfig& c) {
    return {c.DownLoadReFlux, c.UpLoadReFlux, c.DownLoadSpeed, c.UpLoadSpeed, c.Percentage};
}

class LoadConfigTest : public ::testing::Test {
  protected:
    void SetUp() override { kStale.Store(); }
    AlarmConfig Load(const ProgramFolder& folder) {
        AlarmConfig config;
        config.DownLoadReFlux = config.UpLoadReFlux = config.DownLoadSpeed = config.UpLoadSpeed =
            config.Percentage = -9;
        EXPECT_EQ(LoadConfig(config, folder.Directory(), kAlarm), 1);
        return config;
    }
    alarm_test::FlagsGuard guard_;
};

TEST_F(LoadConfigTest, MissingSettingsFileIsCreatedWithItsThreeKeysWhenTmpExists) {
    ProgramFolder folder;
    folder.MakeTmp();
    Load(folder);
    EXPECT_EQ(Flags::Now(), (Flags{1, 1, -1, -1, 1}));  // the reload flag is left as it was

    EXPECT_EQ(folder.Setting(u"SUSPENSION", u"SHOW"), u"1");
    EXPECT_EQ(folder.Setting(u"SUSPENSION", u"LOCATION"), u"-1, -1");
    EXPECT_EQ(folder.Setting(u"ALARM", u"ALARM"), u"1");
    // Written in this order: SHOW, LOCATION, then the ALARM section.
    const std::string text = testing_support::ReadFileBytes(folder.File(alarming::kSettingsFileName));
    EXPECT_LT(text.find("SHOW"), text.find("LOCATION"));
    EXPECT_LT(text.find("LOCATION"), text.find("[ALARM]"));

    // The next load reads the file it made.
    kStale.Store();
    Load(folder);
    EXPECT_EQ(Flags::Now(), (Flags{1, 1, -1, -1, 0}));
}

TEST_F(LoadConfigTest, MissingTmpDirectoryRunsOnDefaultsAndCreatesNothing) {
    ProgramFolder folder;
    EXPECT_EQ(Of(Load(folder)), (Thresholds{5000, 1000, 100, 50, 50}));
    EXPECT_EQ(Flags::Now(), (Flags{1, 1, -1, -1, 1}));
    EXPECT_FALSE(folder.HasTmp());
}

TEST_F(LoadConfigTest, UnknownProgramDirectoryRunsOnDefaults) {
    AlarmConfig config;
    config.Percentage = 3;
    EXPECT_EQ(LoadConfig(config, alarming::ProgramDirectory(u""), kAlarm), 1);
    EXPECT_EQ(Of(config), (Thresholds{5000, 1000, 100, 50, 50}));
    EXPECT_EQ(Flags::Now(), (Flags{1, 1, -1, -1, 1}));
}

struct SettingsCase {
    const char* what;
    std::string file;
    Flags expected;
};

TEST_F(LoadConfigTest, SettingsValues) {
    const auto file = [](const char* show, const char* location, const char* alarm) {
        return std::string("[SUSPENSION]\r\nSHOW=") + show + "\r\nLOCATION=" + location +
               "\r\n[ALARM]\r\nALARM=" + alarm + "\r\n";
    };
    const SettingsCase cases[] = {
        {"plain", file("1", "10,20", "1"), {1, 1, 10, 20, 0}},
        {"hidden, alarms off", file("0", "10,20", "0"), {0, 0, 10, 20, 0}},
        {"SHOW 2 shows, ALARM 2 switches alarms off", file("2", "0,0", "2"), {1, 0, 0, 0, 0}},
        {"SHOW -1 shows", file("-1", "0,0", "1"), {1, 1, 0, 0, 0}},
        {"no digits: hidden, off", file("abc", "0,0", "on"), {0, 0, 0, 0, 0}},
        {"digits then text", file("0x1", "0,0", "1abc"), {0, 1, 0, 0, 0}},
        {"leading zero and sign", file("+0", "0,0", "+01"), {0, 1, 0, 0, 0}},
        {"ALARM -1 is off", file("1", "0,0", "-1"), {1, 0, 0, 0, 0}},
        {"location with blanks", file("1", "  120 ,  45 ", "1"), {1, 1, 120, 45, 0}},
        {"location without comma", file("1", "abc", "1"), {1, 1, -1, -1, 0}},
        {"location: a comma, then 7", file("1", ",7", "1"), {1, 1, 0, 7, 0}},
        {"location: one number", file("1", "300", "1"), {1, 1, -1, -1, 0}},
        {"negative location", file("1", "-5,-70", "1"), {1, 1, -5, -70, 0}},
        {"second comma stays in y", file("1", "1,2,3", "1"), {1, 1, 1, 2, 0}},
        {"location text", file("1", "x,y", "1"), {1, 1, 0, 0, 0}},
        // A value is read into 20 characters: the 1 after 19 zeros never arrives.
        {"SHOW cut to 19 characters", file("00000000000000000001", "0,0", "1"), {0, 1, 0, 0, 0}},
        {"location cut to 19 characters", file("1", "1,                234", "1"), {1, 1, 1, 2, 0}},
        {"huge x is held at the limit",
         file("1", "9999999999,1", "1"),
         {1, 1, std::numeric_limits<std::int32_t>::max(), 1, 0}},
        {"huge y is held at the limit",
         file("1", "1,-9999999999", "1"),
         {1, 1, 1, std::numeric_limits<std::int32_t>::min(), 0}},
        {"keys in any case",
         "[suspension]\r\nshow=0\r\nlocation=4,5\r\n[alarm]\r\nalarm=0\r\n",
         {0, 0, 4, 5, 0}},
        {"UTF-16 settings file",
         alarm_test::Utf16Le(u"[SUSPENSION]\r\nSHOW=0\r\nLOCATION=6,7\r\n[ALARM]\r\nALARM=1\r\n"),
         {0, 1, 6, 7, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramFolder folder;
        folder.Settings(c.file);
        kStale.Store();
        Load(folder);
        EXPECT_EQ(Flags::Now(), c.expected);
    }
}

TEST_F(LoadConfigTest, CompleteSettingsFileIsNotWritten) {
    ProgramFolder folder;
    const std::string bytes = "[SUSPENSION]\r\nSHOW=0\r\nLOCATION=3, 4\r\n\r\n[ALARM]\r\nALARM=1\r\n";
    folder.Settings(bytes);
    Load(folder);
    EXPECT_EQ(testing_support::ReadFileBytes(folder.File(alarming::kSettingsFileName)), bytes);
}

TEST_F(LoadConfigTest, EmptyOrMissingKeysAreWrittenBackAndTaken) {
    const std::string files[] = {
        "",
        "[SUSPENSION]\r\nSHOW=\r\nLOCATION=\r\n[ALARM]\r\nALARM=\r\n",
        "[SUSPENSION]\r\nSHOW=\"\"\r\n",
        "[OTHER]\r\nSHOW=0\r\n",
    };
    for (const auto& bytes : files) {
        SCOPED_TRACE(bytes);
        ProgramFolder folder;
        folder.Settings(bytes);
        kStale.Store();
        Load(folder);
        EXPECT_EQ(Flags::Now(), (Flags{1, 1, -1, -1, 0}));
        EXPECT_EQ(folder.Setting(u"SUSPENSION", u"SHOW"), u"1");
        EXPECT_EQ(folder.Setting(u"SUSPENSION", u"LOCATION"), u"-1, -1");
        EXPECT_EQ(folder.Setting(u"ALARM", u"ALARM"), u"1");
    }
}

TEST_F(LoadConfigTest, OnlyTheEmptyKeyIsWrittenBack) {
    ProgramFolder folder;
    folder.Settings("[SUSPENSION]\r\nSHOW=0\r\nLOCATION=\r\n[ALARM]\r\nALARM=0\r\n");
    Load(folder);
    EXPECT_EQ(Flags::Now(), (Flags{0, 0, -1, -1, 0}));
    EXPECT_EQ(folder.Setting(u"SUSPENSION", u"SHOW"), u"0");
    EXPECT_EQ(folder.Setting(u"SUSPENSION", u"LOCATION"), u"-1, -1");
    EXPECT_EQ(folder.Setting(u"ALARM", u"ALARM"), u"0");
}

struct ThresholdCase {
    const char* what;
    std::string file;
    Thresholds expected;
};

TEST_F(LoadConfigTest, Thresholds) {
    const std::string full =
        "[REFLUX]\r\nDownLoadReFlux=6000\r\nUpLoadReFlux=1200\r\n[SPEED]\r\nDownLoadSpeed=300\r\nUpLoadSpeed="
        "80\r\n"
        "[PERCENTAGE]\r\nPercentage=70\r\n";
    const ThresholdCase cases[] = {
        {"empty file", "", {5000, 1000, 100, 50, 50}},
        {"every key", full, {6000, 1200, 300, 80, 70}},
        {"one section", "[SPEED]\r\nUpLoadSpeed=9\r\n", {5000, 1000, 100, 9, 50}},
        {"empty values", "[SPEED]\r\nDownLoadSpeed=\r\nUpLoadSpeed=\r\n", {5000, 1000, 100, 50, 50}},
        {"no digits give 0, a prefix its value",
         "[PERCENTAGE]\r\nPercentage=abc\r\n[SPEED]\r\nUpLoadSpeed=12kb\r\n",
         {5000, 1000, 100, 12, 0}},
        {"signed and hexadecimal",
         "[REFLUX]\r\nDownLoadReFlux=-5\r\nUpLoadReFlux=0x20\r\n",
         {-5, 32, 100, 50, 50}},
        {"the percentage is kept as written",
         "[PERCENTAGE]\r\nPercentage=250\r\n",
         {5000, 1000, 100, 50, 250}},
        {"UTF-16 file", alarm_test::Utf16Le(u"[PERCENTAGE]\r\nPercentage=40\r\n"), {5000, 1000, 100, 50, 40}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramFolder folder;
        folder.AlarmConfig(c.file);
        EXPECT_EQ(Of(Load(folder)), c.expected);
    }
    // No file at all, and no config directory.
    ProgramFolder none;
    EXPECT_EQ(Of(Load(none)), (Thresholds{5000, 1000, 100, 50, 50}));
}

TEST_F(LoadConfigTest, BrokenFilesGiveDefaults) {
    // Bytes of every value but '[' (no section can start), in a fixed pseudo-random order.
    std::string binary;
    std::uint32_t seed = 12345;
    while (binary.size() < 64 * 1024) {
        seed = seed * 1103515245 + 12345;
        const char c = static_cast<char>(seed >> 24);
        if (c != '[') {
            binary.push_back(c);
        }
    }
    // A huge file whose keys lie in other sections, with one line far longer than any buffer.
    std::string huge = "[OTHER]\r\n" + std::string(100000, 'z') + "\r\n";
    for (int i = 0; i < 5000; ++i) {
        huge += "Percentage=" + std::to_string(i) + "\r\n";
    }
    const std::string gbk =
        "[\xB1\xA8\xBE\xAF]\r\nPercentage=\xCE\xE5\xCA\xAE\r\n";  // section 报警, value 五十
    const std::string files[] = {binary, huge, gbk};
    for (const auto& bytes : files) {
        ProgramFolder folder;
        folder.AlarmConfig(bytes);
        folder.Settings(bytes);
        kStale.Store();
        EXPECT_EQ(Of(Load(folder)), (Thresholds{5000, 1000, 100, 50, 50}));
        EXPECT_EQ(Flags::Now(), (Flags{1, 1, -1, -1, 0}));
        EXPECT_EQ(folder.Setting(u"SUSPENSION", u"SHOW"), u"1");
    }
}

TEST(EngineThresholds, PercentageBecomesAClampedFraction) {
    struct Case {
        std::int32_t percentage;
        float ratio;
    };
    // clang-format off
    const Case cases[] = {{50, 0.5f}, {30, 0.3f}, {31, 0.31f}, {29, 0.3f}, {10, 0.3f}, {0, 0.3f}, {-40, 0.3f},
                          {99, 0.99f}, {100, 1.0f}, {101, 1.0f}, {250, 1.0f},
                          {std::numeric_limits<std::int32_t>::max(), 1.0f},
                          {std::numeric_limits<std::int32_t>::min(), 0.3f}};
    // clang-format on
    for (const auto& c : cases) {
        AlarmConfig config;
        config.Percentage = c.percentage;
        EXPECT_EQ(alarming::EngineThresholdsOf(config).ratio, c.ratio) << c.percentage;
    }
}

TEST(EngineThresholds, VolumesSignExtendAndEverythingElsePassesThrough) {
    AlarmConfig config;
    config.DownLoadReFlux = -1;
    config.UpLoadReFlux = std::numeric_limits<std::int32_t>::min();
    config.DownLoadSpeed = -2;
    config.UpLoadSpeed = 7;
    const engine::AlarmThresholds t = alarming::EngineThresholdsOf(config);
    EXPECT_EQ(t.downloadVolume, 0xFFFFFFFFFFFFFFFFull);
    EXPECT_EQ(t.uploadVolume, 0xFFFFFFFF80000000ull);
    EXPECT_EQ(t.downloadSpeed, 0xFFFFFFFEu);
    EXPECT_EQ(t.uploadSpeed, 7u);
    EXPECT_EQ(t.thresholdsSet, 1u);
}

TEST(EngineThresholds, EngineStartsWithTheDefaultsOfTheFile) {
    const engine::AlarmThresholds before;
    const engine::AlarmThresholds loaded = alarming::EngineThresholdsOf(AlarmConfig{});
    EXPECT_EQ(before.downloadVolume, loaded.downloadVolume);
    EXPECT_EQ(before.uploadVolume, loaded.uploadVolume);
    EXPECT_EQ(before.downloadSpeed, loaded.downloadSpeed);
    EXPECT_EQ(before.uploadSpeed, loaded.uploadSpeed);
    EXPECT_EQ(before.ratio, loaded.ratio);
    EXPECT_EQ(before.thresholdsSet, loaded.thresholdsSet);
}

}  // namespace
