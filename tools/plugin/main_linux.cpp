#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "plugin/console_host.h"
#include "plugin/plugin_console.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto host = console::MakeSystemConsoleHost();
    const int code = console::RunPluginConsole(args, {std::cin, std::cout, std::cerr}, *host);
    std::cout.flush();
    std::cerr.flush();
    // A script reader may still be blocked on the terminal: end without waiting for it.
    std::_Exit(code);
}
