#pragma once

// The end of the monitor's traffic log, for the console to show when the monitor could not start.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace console {

// The last `count` non-empty lines of a traffic log (GBK text), in UTF-8, without their line ends.
std::vector<std::string> TrafficLogTail(std::string_view gbk, std::size_t count);

// Where the monitor started from `launchPath` writes its log: "traffic.log" in the same directory
// (the working directory when the path has none). `separator` is the OS's directory separator.
std::u16string TrafficLogPathBeside(std::u16string_view launchPath, char16_t separator);

}  // namespace console
