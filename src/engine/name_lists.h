#pragma once

// The names by which the accelerator identifies the game it serves, guarded by the names lock (taken
// after the engine lock where both are needed):
//   AccelerateNames       the names last given by SetAccelerateProcess;
//   AccelerateMatchNames  every name ever given, with and without the closed marker; only grows, and
//                         never holds "GameClient.exe" or the monitor's own executable name;
//   UnclearNames          the names last given by SetUnclearProcessName;
//   UnclearAliases        substrings that identify the game when an unclear name cannot be matched.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

inline constexpr std::size_t kMaxNameListNames = 128;
inline constexpr std::size_t kMaxUnclearNames = 32;

// Splits the 0-terminated `text` at `separator` (its first `separatorLength` characters, of which at
// most 10 are searched for), at the separators that start within its first `length` characters. A name
// counts only when a separator follows it; an empty name ends the list, and so does the 128th name. 1,
// or 0 for a null text or separator, a length below 4 or a separator length below 1.
int SplitNameList(const char16_t* text, std::int32_t length, const char16_t* separator,
                  std::int32_t separatorLength, std::vector<std::u16string>& names);

// Equality with the letters A to Z compared without case.
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b);

// The executable file name of the running program.
std::u16string OwnExecutableName();

class NameLists {
public:
    // `ownName`: the monitor's own executable file name.
    explicit NameLists(std::u16string ownName);

    // 1 when at least one name was taken, else 0 (bad arguments are logged).
    int SetAccelerateProcess(const char16_t* text, std::int32_t length, const char16_t* separator,
                             std::int32_t separatorLength);
    int SetUnclearProcessName(const char16_t* text, std::int32_t length, const char16_t* separator,
                              std::int32_t separatorLength);

    // 1 when the name is an accelerated name, with or without the closed marker (case ignored), or
    // contains an unclear alias (case kept); else 0.
    int IsAcceleratedProcessName(std::u16string_view name) const;

    // After alarming has stopped: the own name is the only accelerated name; no unclear names.
    void ResetToOwnName();

    // The tests of single names, each under the names lock.
    bool IsAccelerateName(std::u16string_view name) const;
    bool IsAccelerateMatchName(std::u16string_view name) const;
    bool ContainsUnclearAlias(std::u16string_view name) const;

    const std::u16string& OwnName() const { return ownName_; }

    // Copies, for display and tests.
    std::vector<std::u16string> AccelerateNames() const;
    std::vector<std::u16string> AccelerateMatchNames() const;
    std::vector<std::u16string> UnclearNames() const;
    std::vector<std::u16string> UnclearAliases() const;

private:
    bool IsAccelerateNameLocked(std::u16string_view name) const;
    bool ContainsUnclearAliasLocked(std::u16string_view name) const;

    const std::u16string ownName_;
    mutable std::mutex lock_;
    std::vector<std::u16string> accelerateNames_;
    std::vector<std::u16string> accelerateMatchNames_;
    std::vector<std::u16string> unclearNames_;
    std::vector<std::u16string> unclearAliases_;
};

}  // namespace engine
