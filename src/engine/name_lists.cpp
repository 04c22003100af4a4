#include "engine/name_lists.h"

#include <algorithm>

#include "alarm/traffic_log.h"
#include "base/module_path.h"
#include "base/os_error.h"
#include "base/text.h"
#include "engine/process_names.h"
#include "engine/process_records.h"

namespace engine {
namespace {

constexpr std::size_t kSeparatorCapacity = 10;
constexpr std::u16string_view kGameClientName = u"GameClient.exe";
// An unclear name holding this game's title is matched through the alias below.
constexpr std::u16string_view kUnclearTitle = u"侠义道";
constexpr std::u16string_view kUnclearAlias = u"xyd";

char16_t FoldCase(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

std::u16string_view UpToNul(std::u16string_view text) {
    return text.substr(0, text.find(u'\0'));
}

bool ArgumentsValid(const char16_t* text, std::int32_t length, const char16_t* separator,
                    std::int32_t separatorLength) {
    return text != nullptr && length >= 4 && separator != nullptr && separatorLength >= 1;
}

}  // namespace

int SplitNameList(const char16_t* text, std::int32_t length, const char16_t* separator,
                  std::int32_t separatorLength, std::vector<std::u16string>& names) {
    names.clear();
    if (!ArgumentsValid(text, length, separator, separatorLength)) {
        return 0;
    }
    const std::u16string_view pattern = UpToNul(std::u16string_view(
        separator, std::min(static_cast<std::size_t>(separatorLength), kSeparatorCapacity)));
    // The separator is looked for in the whole 0-terminated text: one that starts within `length`
    // characters counts even where it ends beyond them.
    const std::u16string_view whole(text);
    if (pattern.empty()) {
        return 1;  // an empty separator is found at once, before an empty name
    }
    std::size_t position = 0;
    while (names.size() < kMaxNameListNames && position < whole.size()) {
        const std::size_t found = whole.find(pattern, position);
        if (found == std::u16string_view::npos || found >= static_cast<std::size_t>(length) ||
            found == position) {
            break;
        }
        names.emplace_back(whole.substr(position, found - position));
        position = found + static_cast<std::size_t>(separatorLength);
    }
    return 1;
}

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
               return FoldCase(x) == FoldCase(y);
           });
}

std::u16string OwnExecutableName() {
    return FileNameOfPath(base::ModuleFileName());
}

NameLists::NameLists(std::u16string ownName) : ownName_(std::move(ownName)) {}

int NameLists::SetAccelerateProcess(const char16_t* text, std::int32_t length, const char16_t* separator,
                                    std::int32_t separatorLength) {
    if (!ArgumentsValid(text, length, separator, separatorLength)) {
        WriteTrafficLog(
            base::FormatText(128, "参数无效 in SetAccelerateProcess，error no = %d \n", base::LastOsError()));
        return 0;
    }
    std::vector<std::u16string> names;
    SplitNameList(text, length, separator, separatorLength, names);
    if (names.empty()) {
        return 0;
    }
    std::lock_guard<std::mutex> hold(lock_);
    accelerateNames_.clear();
    for (const std::u16string& name : names) {
        accelerateNames_.push_back(name);
        const bool known = std::any_of(accelerateMatchNames_.begin(), accelerateMatchNames_.end(),
                                       [&](const std::u16string& m) { return EqualsIgnoringCase(m, name); });
        if (!known && !EqualsIgnoringCase(name, ownName_) && !EqualsIgnoringCase(name, kGameClientName)) {
            accelerateMatchNames_.push_back(name);
            accelerateMatchNames_.push_back(name + std::u16string(kClosedMarker));
        }
    }
    return 1;
}

int NameLists::SetUnclearProcessName(const char16_t* text, std::int32_t length, const char16_t* separator,
                                     std::int32_t separatorLength) {
    if (!ArgumentsValid(text, length, separator, separatorLength)) {
        WriteTrafficLog(base::FormatText(128, "参数无效 in SetUnclearProcessName，error no = %d \n",
                                         base::LastOsError()));
        return 0;
    }
    std::vector<std::u16string> names;
    SplitNameList(text, length, separator, separatorLength, names);
    if (names.size() > kMaxUnclearNames) {
        names.resize(kMaxUnclearNames);
    }
    if (names.empty()) {
        return 0;
    }
    std::lock_guard<std::mutex> hold(lock_);
    unclearNames_.clear();
    unclearAliases_.clear();
    for (const std::u16string& name : names) {
        unclearNames_.push_back(name);
        if (name.find(kUnclearTitle) != std::u16string::npos) {
            unclearAliases_.emplace_back(kUnclearAlias);
        }
    }
    return 1;
}

int NameLists::IsAcceleratedProcessName(std::u16string_view name) const {
    std::lock_guard<std::mutex> hold(lock_);
    for (const std::u16string& entry : accelerateNames_) {
        if (EqualsIgnoringCase(name, entry)) {
            return 1;
        }
        if (name.size() == entry.size() + kClosedMarker.size() &&
            EqualsIgnoringCase(name.substr(0, entry.size()), entry) &&
            name.substr(entry.size()) == kClosedMarker) {
            return 1;
        }
    }
    return ContainsUnclearAliasLocked(name) ? 1 : 0;
}

void NameLists::ResetToOwnName() {
    std::lock_guard<std::mutex> hold(lock_);
    accelerateNames_.assign(1, ownName_);
    unclearNames_.clear();
    unclearAliases_.clear();
}

bool NameLists::IsAccelerateName(std::u16string_view name) const {
    std::lock_guard<std::mutex> hold(lock_);
    return IsAccelerateNameLocked(name);
}

bool NameLists::IsAccelerateMatchName(std::u16string_view name) const {
    std::lock_guard<std::mutex> hold(lock_);
    return std::any_of(accelerateMatchNames_.begin(), accelerateMatchNames_.end(),
                       [&](const std::u16string& m) { return EqualsIgnoringCase(m, name); });
}

bool NameLists::ContainsUnclearAlias(std::u16string_view name) const {
    std::lock_guard<std::mutex> hold(lock_);
    return ContainsUnclearAliasLocked(name);
}

bool NameLists::IsAccelerateNameLocked(std::u16string_view name) const {
    return std::any_of(accelerateNames_.begin(), accelerateNames_.end(),
                       [&](const std::u16string& entry) { return EqualsIgnoringCase(entry, name); });
}

bool NameLists::ContainsUnclearAliasLocked(std::u16string_view name) const {
    return std::any_of(unclearAliases_.begin(), unclearAliases_.end(), [&](const std::u16string& alias) {
        return name.find(alias) != std::u16string_view::npos;
    });
}

std::vector<std::u16string> NameLists::AccelerateNames() const {
    std::lock_guard<std::mutex> hold(lock_);
    return accelerateNames_;
}

std::vector<std::u16string> NameLists::AccelerateMatchNames() const {
    std::lock_guard<std::mutex> hold(lock_);
    return accelerateMatchNames_;
}

std::vector<std::u16string> NameLists::UnclearNames() const {
    std::lock_guard<std::mutex> hold(lock_);
    return unclearNames_;
}

std::vector<std::u16string> NameLists::UnclearAliases() const {
    std::lock_guard<std::mutex> hold(lock_);
    return unclearAliases_;
}

}  // namespace engine
