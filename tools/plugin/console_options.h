#pragma once

// The command line of kvtmon-plugin.

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/message_line.h"

namespace console {

struct ConsoleOptions {
    bool help = false;
    bool version = false;
    bool list = false;
    std::u16string pipeName;    // empty: DefaultPipeName of the console's pid
    std::u16string launchPath;  // empty: the monitor is started by someone else
    std::u16string hostName = u"Accelerator.exe";
    std::chrono::milliseconds connectTimeout{10000};
    std::chrono::milliseconds timeout{10000};  // for answers, and wait-for without its own
    std::chrono::milliseconds exitTimeout{10000};
    bool script = false;
    bool listen = false;
    std::chrono::milliseconds listenFor{0};  // 0: until interrupted
    bool exit = false;
    // --watch: the accelerated process names (';' between several); empty without --watch.
    std::u16string watchNames;
    // --report: the directory the session's report goes to; empty without --report.
    std::u16string reportDir;
    OutputFormat format = OutputFormat::kText;
    bool echo = false;
    bool quiet = false;
    std::vector<std::vector<std::string>> requests;  // the words after "--", one group per request
};

// args without the program name, UTF-8. False with an error for a usage mistake.
bool ParseConsoleOptions(std::span<const std::string> args, ConsoleOptions& options, std::string& error);

// A pipe name the monitor accepts and both builds can create: \\.\pipe\NAME, NAME without '\' or '/'.
bool CheckPipeName(std::u16string_view name, std::string& error);

// \\.\pipe\kvtmon-plugin-PID
std::u16string DefaultPipeName(std::uint32_t pid);

std::string ConsoleHelpText();
// The programs' version, as the build sets it.
std::string_view ConsoleVersion();
// Every request with its arguments and answer, and the pushes.
std::string RequestListText();

}  // namespace console
