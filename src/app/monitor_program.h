#pragma once

// The program from the command line to the end of the main loop, the same on every platform: split the
// command line, take the single-instance lock, create the shell window, start the service, tell the
// plugin how the start went, run the loop. The platform's entry point does its own set-up around it.

#include <functional>
#include <string_view>

namespace app {

// `commandLine`: the command line without the program path. `beforeWindows` runs once the instance is
// the only one, before the first window is made (the Windows build checks its skin there; a missing
// skin ends the process). Returns 0, the program's exit code.
int RunMonitorProgram(std::u16string_view commandLine, const std::function<void()>& beforeWindows = {});

}  // namespace app
