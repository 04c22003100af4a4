#include "alarm/list_files.h"

#include <cstdio>
#include <memory>

#include "alarm/unicode_text.h"
#include "base/file.h"
#include "engine/name_lists.h"

namespace alarming {
namespace {

constexpr std::u16string_view kExe = u".exe";

bool IsWhiteSpace(char16_t c) {
    // U+3000: the full-width space of Chinese input methods.
    return c == u' ' || (c >= u'\t' && c <= u'\r') || c == u'\u3000';
}

std::u16string_view WithoutLeadingSpace(std::u16string_view text) {
    while (!text.empty() && IsWhiteSpace(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

ListEntry SplitAt(std::u16string_view line, std::size_t cut) {
    return {std::u16string(line.substr(0, cut)), std::u16string(WithoutLeadingSpace(line.substr(cut)))};
}

}  // namespace

std::u16string_view TrimLine(std::u16string_view line) {
    line = WithoutLeadingSpace(line);
    while (!line.empty() && IsWhiteSpace(line.back())) {
        line.remove_suffix(1);
    }
    return line;
}

bool SplitBlackListLine(std::u16string_view line, ListEntry& entry) {
    const auto exe = line.find(kExe);
    if (exe == std::u16string_view::npos) {
        return false;
    }
    entry = SplitAt(line, exe + kExe.size());
    return true;
}

ListEntry SplitWhiteListLine(std::u16string_view line) {
    if (const auto exe = line.find(kExe); exe != std::u16string_view::npos) {
        return SplitAt(line, exe + kExe.size());
    }
    for (const char16_t separator : {u' ', u',', u';'}) {
        if (const auto cut = line.find(separator); cut != std::u16string_view::npos) {
            return SplitAt(line, cut);
        }
    }
    return {std::u16string(line), {}};
}

std::vector<ListEntry> ParseBlackList(std::string_view bytes) {
    std::vector<ListEntry> entries;
    ForEachTextLine(bytes, [&](std::u16string_view piece) {
        ListEntry entry;
        if (entries.size() < kMaxBlackListEntries && SplitBlackListLine(TrimLine(piece), entry)) {
            entries.push_back(std::move(entry));
        }
    });
    return entries;
}

std::vector<ListEntry> ParseWhiteList(std::string_view bytes) {
    std::vector<ListEntry> entries;
    ForEachTextLine(
        bytes, [&](std::u16string_view piece) { entries.push_back(SplitWhiteListLine(TrimLine(piece))); });
    return entries;
}

bool ReadListFile(const std::u16string& path, std::string& bytes) {
    bytes.clear();
    if (path.empty()) {
        return false;
    }
    const base::ScopedStdioFile file(base::OpenStdioFile(path, "rb"));
    if (!file) {
        return false;
    }
    char buffer[8192];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.Get())) > 0) {
        bytes.append(buffer, n);
    }
    return true;
}

int WhiteList::Load(const ProgramDirectory& directory, std::u16string_view relativeName) {
    std::string bytes;
    if (!ReadListFile(directory.Path(relativeName), bytes)) {
        return 0;
    }
    for (ListEntry& entry : ParseWhiteList(bytes)) {
        entries_.push_back(std::move(entry));
    }
    return 1;
}

int WhiteList::IsWhiteListed(std::u16string_view name) const {
    for (const ListEntry& entry : entries_) {
        if (!entry.name.empty() && engine::EqualsIgnoringCase(entry.name, name)) {
            return 1;
        }
    }
    return 0;
}

WhiteList& ProcessWhiteList() {
    static WhiteList list;
    return list;
}

int LoadWhiteList(std::u16string_view relativeName) {
    return ProcessWhiteList().Load(ProgramDirectory(), relativeName);
}

int IsWhiteListed(std::u16string_view name) {
    return ProcessWhiteList().IsWhiteListed(name);
}

}  // namespace alarming
