// kvt_fake_monitor HOST PIPE: the fake monitor as a program, for the tests that launch one. Like the
// monitor, it ends at once unless it gets exactly an executable name and a pipe path (exit 4).
// Otherwise: 0 after ExitMonitor, 2 when the pipe cannot be opened, 3 after 30 s without an exit.
// KVT_FAKE_MONITOR_PUSH_MS=N makes it push a round of totals every N ms and the process list every
// third round.

#include <cstdlib>
#include <string>

#include "base/text.h"
#include "support/fake_monitor.h"

int main(int argc, char** argv) {
    if (argc != 3 || argv[1][0] == '\0' || argv[2][0] != '\\') {
        return 4;
    }
    testing_support::FakeMonitorOptions options;
    if (const char* period = std::getenv("KVT_FAKE_MONITOR_PUSH_MS"); period != nullptr) {
        options.totalsPeriodMs = static_cast<std::uint32_t>(std::strtoul(period, nullptr, 10));
        options.listEveryRounds = 3;
    }
    testing_support::FakeMonitor monitor(options);
    return monitor.Run(base::Utf8ToUtf16(argv[2]), 30000);
}
