// The Linux monitor: headless, started as "kvtmon HOST \\.\pipe\NAME". The arguments are joined by
// single blanks into the command line the Windows program receives.

#include <signal.h>

#include <string>

#include "app/monitor_program.h"
#include "base/text.h"

int main(int argc, char** argv) {
    // Blocked before any thread exists, so every thread inherits the mask and the shell alone takes
    // them, synchronously.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    // A plugin that goes away must not kill the monitor mid-write.
    signal(SIGPIPE, SIG_IGN);

    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            commandLine += ' ';
        }
        commandLine += argv[i];
    }
    return app::RunMonitorProgram(base::Utf8ToUtf16(commandLine));
}
