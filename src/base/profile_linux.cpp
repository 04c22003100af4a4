#include "base/file.h"
#include "base/ini_document.h"
#include "base/profile.h"
#include "base/profile_value.h"
#include "base/text.h"

#include <cstdio>
#include <utility>

namespace base {
namespace {

// A missing or unreadable file reads like an empty one: every key takes its default.
std::optional<std::u16string> Lookup(std::u16string_view section, std::u16string_view key,
                                     std::u16string_view path) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        bytes.clear();
    }
    return IniDocument::FindIn(bytes, section, key);
}

}  // namespace

std::u16string ReadIniString(std::u16string_view section, std::u16string_view key,
                             std::u16string_view defaultValue, std::size_t capacity,
                             std::u16string_view path) {
    const std::optional<std::u16string> value = Lookup(section, key, path);
    return ProfileStringResult(value ? std::optional<std::u16string_view>(*value) : std::nullopt, defaultValue,
                               capacity);
}

std::uint32_t ReadIniInt(std::u16string_view section, std::u16string_view key, std::int32_t defaultValue,
                         std::u16string_view path) {
    const std::optional<std::u16string> value = Lookup(section, key, path);
    return ProfileIntResult(value ? std::optional<std::u16string_view>(*value) : std::nullopt, defaultValue);
}

bool WriteIniString(std::u16string_view section, std::u16string_view key, std::u16string_view value,
                    std::u16string_view path) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        // Something that exists but cannot be read (a directory, no permission) is never replaced.
        if (FileExists(path)) {
            return false;
        }
        bytes.clear();
    }
    IniDocument doc = IniDocument::Parse(std::move(bytes));
    doc.Set(section, key, value);
    // Write beside the file and rename over it, so that a reader never sees a half-written file and a
    // failed write leaves the old one intact.
    const std::u16string temporary = std::u16string(path) + u".kvt-new";
    if (!WriteWholeFile(temporary, doc.Bytes())) {
        std::remove(Utf16ToUtf8(temporary).c_str());
        return false;
    }
    if (std::rename(Utf16ToUtf8(temporary).c_str(), Utf16ToUtf8(path).c_str()) != 0) {
        std::remove(Utf16ToUtf8(temporary).c_str());
        return false;
    }
    return true;
}

}  // namespace base
