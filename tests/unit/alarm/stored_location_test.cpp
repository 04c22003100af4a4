#include <gtest/gtest.h>

#include <string>

#include "alarm/alarm_config.h"
#include "alarm_test_files.h"

namespace {

using alarm_test::ProgramFolder;

TEST(ReadStoredLocation, TakesTheStoredPositionAndWritesNothing) {
    const struct {
        const char* file;  // nullptr: no settings file
        std::int32_t x, y;
    } cases[] = {
        {"[SUSPENSION]\r\nSHOW=1\r\nLOCATION=120,45\r\n", 120, 45},
        {"[SUSPENSION]\r\nLOCATION=  640 , -12 \r\n", 640, -12},
        {"[SUSPENSION]\r\nLOCATION=-1, -1\r\n", -1, -1},
        {"[SUSPENSION]\r\nLOCATION=abc\r\n", -1, -1},
        {"[SUSPENSION]\r\nLOCATION=\r\n", -1, -1},
        {"[SUSPENSION]\r\nSHOW=1\r\n", -1, -1},
        {"", -1, -1},
        {nullptr, -1, -1},
    };
    for (const auto& c : cases) {
        ProgramFolder folder;
        if (c.file != nullptr) {
            folder.Settings(c.file);
        }
        const alarming::Location l = alarming::ReadStoredLocation(folder.Directory());
        EXPECT_EQ(l.x, c.x) << (c.file ? c.file : "(no file)");
        EXPECT_EQ(l.y, c.y) << (c.file ? c.file : "(no file)");
        EXPECT_EQ(testing_support::ReadFileBytes(folder.File(alarming::kSettingsFileName)),
                  c.file ? std::string(c.file) : std::string())
            << "the file is not touched";
    }
}

}  // namespace
