#include "base/file.h"
#include "base/ini_document.h"
#include "base/profile.h"
#include "base/profile_value.h"

namespace base {
namespace {

// A missing or unreadable file reads like an empty one: every key takes its default.
IniDocument Load(std::u16string_view path) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        bytes.clear();
    }
    return IniDocument::Parse(bytes);
}

}  // namespace

std::u16string ReadIniString(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view defaultValue, std::size_t capacity,
                                 std::u16string_view path) {
    const IniDocument doc = Load(path);
    return ProfileStringResult(doc.Find(section, key), defaultValue, capacity);
}

std::uint32_t ReadIniInt(std::u16string_view section, std::u16string_view key, std::int32_t defaultValue,
                             std::u16string_view path) {
    const IniDocument doc = Load(path);
    return ProfileIntResult(doc.Find(section, key), defaultValue);
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
    IniDocument doc = IniDocument::Parse(bytes);
    doc.Set(section, key, value);
    return WriteWholeFile(path, doc.Bytes());
}

}  // namespace base
