#pragma once

// kvtmon-plugin as a function: the program's entry point calls it with the real streams and the
// system's host, the tests with their own.

#include <iosfwd>
#include <span>
#include <string>

#include "plugin/console_host.h"

namespace console {

struct ConsoleStreams {
    std::istream& in;   // the script, with --script
    std::ostream& out;  // one line per message
    std::ostream& err;  // notes and errors
};

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// args without the program name, UTF-8. Returns the exit code.
int RunPluginConsole(std::span<const std::string> args, const ConsoleStreams& io, ConsoleHost& host);

}  // namespace console
