// The configuration files the build copies beside the program, read where the program reads them.

#include <gtest/gtest.h>

#include "alarm/alarm_config.h"
#include "alarm/black_list_detector.h"
#include "alarm/list_files.h"
#include "alarm/settings.h"
#include "alarm_test_files.h"
#include "base/file.h"
#include "base/module_path.h"
#include "base/text.h"
#include "engine/name_lists.h"

namespace {

TEST(ShippedConfig, FilesLieBesideTheProgram) {
    for (const auto name : {alarming::kAlarmConfigName, alarming::kBlackListName, alarming::kWhiteListName}) {
        EXPECT_TRUE(base::FileExists(base::ProgramPath(name))) << std::string(name.begin(), name.end());
    }
}

TEST(ShippedConfig, AlarmFileHoldsTheDefaults) {
    std::string bytes;
    ASSERT_TRUE(base::ReadWholeFile(base::ProgramPath(alarming::kAlarmConfigName), bytes));
    // Read in a folder of its own, so that the settings file is never made beside the program.
    alarm_test::ProgramFolder folder;
    folder.AlarmConfig(bytes);
    alarm_test::FlagsGuard guard;
    alarming::AlarmConfig loaded;
    loaded.DownLoadReFlux = loaded.UpLoadReFlux = loaded.DownLoadSpeed = loaded.UpLoadSpeed =
        loaded.Percentage = 0;
    alarming::LoadConfig(loaded, folder.Directory(), alarming::kAlarmConfigName);
    const alarming::AlarmConfig defaults;
    EXPECT_EQ(loaded.DownLoadReFlux, defaults.DownLoadReFlux);
    EXPECT_EQ(loaded.UpLoadReFlux, defaults.UpLoadReFlux);
    EXPECT_EQ(loaded.DownLoadSpeed, defaults.DownLoadSpeed);
    EXPECT_EQ(loaded.UpLoadSpeed, defaults.UpLoadSpeed);
    EXPECT_EQ(loaded.Percentage, defaults.Percentage);
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
        EXPECT_FALSE(entry.name.empty());
        EXPECT_FALSE(entry.description.empty());
    }
}

}  // namespace
