#pragma once

// The black list (programs likely to take much bandwidth) and the white list (programs never to be
// reported), config\BlackList.txt and config\WhiteList.txt beside the program. The program never writes
// either file. Parsing is pure; LoadBlackList/LoadWhiteList only read the bytes.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "alarm/program_directory.h"

namespace alarming {

inline constexpr std::u16string_view kBlackListName = u"config\\BlackList.txt";
inline constexpr std::u16string_view kWhiteListName = u"config\\WhiteList.txt";

// A black list holds at most this many entries; later valid lines are skipped.
inline constexpr std::size_t kMaxBlackListEntries = 128;

struct ListEntry {
    std::u16string name;         // executable name
    std::u16string description;  // shown beside the name
    friend bool operator==(const ListEntry&, const ListEntry&) = default;
};

// A line without white space at either end.
std::u16string_view TrimLine(std::u16string_view line);

// A trimmed black-list line: the name runs up to and including the first ".exe" (searched with case),
// the description is the rest without its leading white space. False for a line without ".exe".
bool SplitBlackListLine(std::u16string_view line, ListEntry& entry);

// A trimmed white-list line: split after the first ".exe" as on the black list; without one, before
// the first space, else comma, else semicolon (the description keeps the separator, then loses its
// leading white space); otherwise the whole line is the name.
ListEntry SplitWhiteListLine(std::u16string_view line);

// The entries of a black-list file's bytes, in file order, at most kMaxBlackListEntries.
std::vector<ListEntry> ParseBlackList(std::string_view bytes);
// Every line of a white-list file's bytes, empty ones included.
std::vector<ListEntry> ParseWhiteList(std::string_view bytes);

// The bytes of a list file. False when the path is empty or the file cannot be opened; a read error
// later keeps what was read.
bool ReadListFile(const std::u16string& path, std::string& bytes);

class WhiteList {
  public:
    // Appends the entries of the file; 1 when it was read, 0 when the path cannot be formed or the
    // file cannot be opened (nothing is appended then).
    int Load(const ProgramDirectory& directory, std::u16string_view relativeName);

    // 1 when `name` equals the name of an entry, ignoring case. An empty entry name matches nothing.
    int IsWhiteListed(std::u16string_view name) const;

    const std::vector<ListEntry>& Entries() const { return entries_; }

  private:
    std::vector<ListEntry> entries_;
};

// The process-wide white list. Filled once at start-up, before any worker thread runs, and only read
// afterwards, so readers take no lock.
WhiteList& ProcessWhiteList();

// The process-wide list from the file beside the program.
int LoadWhiteList(std::u16string_view relativeName);
int IsWhiteListed(std::u16string_view name);

}  // namespace alarming
