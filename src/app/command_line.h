#pragma once

// The monitor's command line: the accelerator's executable file name, one blank, and the pipe path,
// which begins with a backslash ("GameBooster.exe \\.\pipe\name").

#include <string>
#include <string_view>

namespace app {

struct CommandLine {
    std::u16string hostProcessName;
    std::u16string pipeName;
};

// Splits at the first backslash: the host name is what comes before it minus the separating blank, the
// pipe name the rest, backslash included. False without a backslash or with one in the first place.
bool SplitCommandLine(std::u16string_view text, CommandLine& parts);

}  // namespace app
