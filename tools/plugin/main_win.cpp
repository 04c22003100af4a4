#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/wide_win.h"
#include "plugin/console_host.h"
#include "plugin/plugin_console.h"

int main() {
    // The arguments as UTF-16, not in the ANSI code page: process names may be Chinese.
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 1; argv != nullptr && i < argc; ++i) {
        args.push_back(base::Utf16ToUtf8(base::FromWide(argv[i])));
    }
    LocalFree(argv);
    // Everything printed is UTF-8.
    SetConsoleOutputCP(CP_UTF8);
    const auto host = console::MakeSystemConsoleHost();
    const int code = console::RunPluginConsole(args, {std::cin, std::cout, std::cerr}, *host);
    std::cout.flush();
    std::cerr.flush();
    // A script reader may still be blocked on the console: end without waiting for it.
    std::_Exit(code);
}
