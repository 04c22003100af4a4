#pragma once

// kvtmon-plugin --watch: the console as a live view of a monitor. The figures are WatchView's; this is
// the conversation around them (start, naming the accelerated process, Ctrl-C, the end).

#include "plugin/console_host.h"
#include "plugin/console_options.h"
#include "plugin/plugin_console.h"

namespace console {

// Returns the console's exit code.
int RunWatch(const ConsoleOptions& options, const ConsoleStreams& io, ConsoleHost& host);

}  // namespace console
