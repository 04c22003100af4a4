#pragma once

// The program from the command line to the end of the main loop, the same on every platform: split the
// command line, take the single-instance lock, create the shell window, start the service, tell the
// plugin how the start went, run the loop. The platform's entry point does its own set-up around it.

#include <string_view>

namespace app {

// `commandLine`: the command line without the program path. Always 0, the program's exit code.
int RunMonitorProgram(std::u16string_view commandLine);

}  // namespace app
