// The raw-socket capture under Wine: Wine refuses either the raw socket (10043) or receive-all mode
// (10045), so this checks the failure path's messages and results. On Windows with administrative rights
// the capture would open; there the test is skipped. (The capture set's reaction to a failed open is the
// same code as on Linux, and the monitor's start under Wine goes through it.)

#include <gtest/gtest.h>

#include "engine/adapter_info.h"
#include "engine/capture.h"
#include "engine/sniffer_context.h"
#include "support/log_capture.h"
#include "support/wine_check.h"

namespace {

TEST(CaptureUnderWine, OpenFailsAndLogsTheRefusal) {
    if (!testing_support::RunningUnderWine()) {
        GTEST_SKIP() << "Windows itself may open the capture";
    }
    ASSERT_EQ(engine::StartNetworkLibrary(), 0u);
    engine::AdapterInfo info;
    ASSERT_EQ(engine::GetAdapterInfo(info), 0u);
    // The bind is never reached when the socket is refused; the host's first address serves otherwise.
    const std::uint32_t address =
        info.localAddresses.empty() ? engine::kLoopbackAddress : info.localAddresses.front();
    testing_support::LogCapture log;
    engine::Capture capture;
    EXPECT_EQ(capture.Open(u"", engine::kSnifferBasePort, address), -1);
    // Either one socket failure, or three attempts at receive-all mode.
    const int socketFailed = log.CountStartingWith("socket failed，error no = 10043 ");
    EXPECT_EQ(log.CountStartingWith("WSAIoctl，error no = 10045 "), socketFailed == 1 ? 0 : 3);
    EXPECT_EQ(capture.LastError(), socketFailed == 1 ? 10043u : 10045u);  // WSAEPROTONOSUPPORT, WSAEOPNOTSUPP
    EXPECT_EQ(log.CountStartingWith("bind failed"), 0);
    engine::StopNetworkLibrary();
}

}  // namespace
