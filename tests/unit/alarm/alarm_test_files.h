#pragma once

// A program directory of its own for each alarm test, with the tmp and config folders on request, and
// the byte forms the list and settings files come in.

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "alarm/list_files.h"
#include "alarm/program_directory.h"
#include "alarm/settings.h"
#include "base/profile.h"
#include "support/temp_dir.h"

namespace alarming {
inline void PrintTo(const ListEntry& e, std::ostream* out) {
    *out << "{" << ::testing::PrintToString(e.name) << ", " << ::testing::PrintToString(e.description) << "}";
}
}  // namespace alarming

namespace alarm_test {

// UTF-16LE bytes, with the byte-order mark when `mark` is set.
inline std::string Utf16Le(std::u16string_view text, bool mark = true) {
    std::string bytes = mark ? "\xFF\xFE" : "";
    for (const char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

inline std::string Utf8(std::u8string_view text) {
    return std::string(text.begin(), text.end());
}

// A fresh directory standing in for the program's own. Wine caches profile files by name, so every
// case that rewrites a file gets a directory of its own.
class ProgramFolder {
  public:
    ProgramFolder() : directory_(dir_.path().u16string()) {}

    const alarming::ProgramDirectory& Directory() const { return directory_; }
    std::filesystem::path File(std::u16string_view relativeName) const {
        std::u16string path = directory_.Path(relativeName);
        return std::filesystem::path(path);
    }
    std::u16string PathText(std::u16string_view relativeName) const { return directory_.Path(relativeName); }

    void MakeTmp() const { std::filesystem::create_directory(dir_.path() / "tmp"); }
    void MakeConfig() const { std::filesystem::create_directory(dir_.path() / "config"); }
    bool HasTmp() const { return std::filesystem::exists(dir_.path() / "tmp"); }

    // Writes the settings file, making tmp first.
    void Settings(std::string_view bytes) const {
        MakeTmp();
        testing_support::WriteFileBytes(File(alarming::kSettingsFileName), bytes);
    }
    // Writes config\Alarm.txt, making config first.
    void AlarmConfig(std::string_view bytes) const {
        MakeConfig();
        testing_support::WriteFileBytes(File(alarming::kAlarmConfigName), bytes);
    }
    void Config(std::u16string_view relativeName, std::string_view bytes) const {
        MakeConfig();
        testing_support::WriteFileBytes(File(relativeName), bytes);
    }

    // A key of the settings file, or "(none)" when it is missing.
    std::u16string Setting(std::u16string_view section, std::u16string_view key) const {
        return base::ReadIniString(section, key, u"(none)", 64, PathText(alarming::kSettingsFileName));
    }
    std::u16string Threshold(std::u16string_view section, std::u16string_view key) const {
        return base::ReadIniString(section, key, u"(none)", 64, PathText(alarming::kAlarmConfigName));
    }

  private:
    testing_support::TempDir dir_;
    alarming::ProgramDirectory directory_;
};

// The process-wide flags as a value, to set and compare them at once.
struct Flags {
    std::uint32_t show = 0;
    std::uint32_t alarm = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint32_t reloadPending = 0;
    friend bool operator==(const Flags&, const Flags&) = default;

    static Flags Now() {
        return {alarming::ShowSuspension.load(), alarming::AlarmEnabled.load(), alarming::SuspensionX.load(),
                alarming::SuspensionY.load(), alarming::SettingsReloadPending.load()};
    }
    void Store() const {
        alarming::ShowSuspension = show;
        alarming::AlarmEnabled = alarm;
        alarming::SuspensionX = x;
        alarming::SuspensionY = y;
        alarming::SettingsReloadPending = reloadPending;
    }
};

inline std::ostream& operator<<(std::ostream& out, const Flags& f) {
    return out << "{show " << f.show << ", alarm " << f.alarm << ", at " << f.x << "," << f.y << ", reload "
               << f.reloadPending << "}";
}

// Puts the flags back as they were, so that tests do not leak them into each other.
class FlagsGuard {
  public:
    FlagsGuard() : saved_(Flags::Now()) {}
    ~FlagsGuard() { saved_.Store(); }

  private:
    Flags saved_;
};

}  // namespace alarm_test
