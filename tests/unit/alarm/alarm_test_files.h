#pragma once

// A program directory of its own for each alarm test, the UTF-16 bytes the list files come in, and the
// process-wide settings flags as one value.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "alarm/program_directory.h"
#include "alarm/settings.h"
#include "base/profile.h"
#include "support/temp_dir.h"

namespace alarm_test {

// UTF-16LE bytes with their byte-order mark.
inline std::string Utf16Le(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t c : text) {
        bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    }
    return bytes;
}

// A fresh directory standing in for the program's own. Wine caches profile files by name, so every
// case that rewrites a file gets a directory of its own.
class ProgramFolder {
  public:
    const alarming::ProgramDirectory& Directory() const { return directory_; }
    std::filesystem::path File(std::u16string_view name) const { return directory_.Path(name); }
    bool Has(const char* subdirectory) const { return std::filesystem::exists(dir_.path() / subdirectory); }
    void MakeTmp() const { std::filesystem::create_directory(dir_.path() / "tmp"); }

    // Writes a file under tmp or config, making the directory first.
    void Settings(std::string_view bytes) const { Write(alarming::kSettingsFileName, bytes); }
    void AlarmConfig(std::string_view bytes) const { Write(alarming::kAlarmConfigName, bytes); }
    void Write(std::u16string_view name, std::string_view bytes) const {
        std::filesystem::create_directories(File(name).parent_path());
        testing_support::WriteFileBytes(File(name), bytes);
    }

    // A key of the settings file or of config\Alarm.txt, "(none)" when it is missing.
    std::u16string Setting(std::u16string_view section, std::u16string_view key) const {
        return Read(alarming::kSettingsFileName, section, key);
    }
    std::u16string Threshold(std::u16string_view section, std::u16string_view key) const {
        return Read(alarming::kAlarmConfigName, section, key);
    }

  private:
    std::u16string Read(std::u16string_view file, std::u16string_view section,
                        std::u16string_view key) const {
        return base::ReadIniString(section, key, u"(none)", 64, directory_.Path(file));
    }
    testing_support::TempDir dir_;
    alarming::ProgramDirectory directory_{dir_.path().u16string()};
};

// The process-wide flags as a value, to set and compare them at once.
struct Flags {
    std::uint32_t show = 0, alarm = 0;
    std::int32_t x = 0, y = 0;
    std::uint32_t reloadPending = 0;
    friend bool operator==(const Flags&, const Flags&) = default;

    static Flags Now() {
        return {alarming::ShowSuspension, alarming::AlarmEnabled, alarming::SuspensionX,
                alarming::SuspensionY, alarming::SettingsReloadPending};
    }
    void Store() const {
        alarming::ShowSuspension = show;
        alarming::AlarmEnabled = alarm;
        alarming::SuspensionX = x;
        alarming::SuspensionY = y;
        alarming::SettingsReloadPending = reloadPending;
    }
};

// Puts the flags back as they were, so that tests do not leak them into each other.
struct FlagsGuard {
    Flags saved = Flags::Now();
    ~FlagsGuard() { saved.Store(); }
};

}  // namespace alarm_test
