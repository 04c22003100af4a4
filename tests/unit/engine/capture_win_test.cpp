// The raw-socket capture under Wine: Wine refuses either the raw socket (10043) or receive-all mode
// (10045), so this checks the failure path's messages and results. On Windows with administrative rights
// the capture would open; there the test is skipped.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "base/event.h"
#include "engine/adapter_info.h"
#include "engine/capture.h"
#include "engine/capture_set.h"
#include "recording_counter.h"
#include "support/log_capture.h"
#include "support/wine_check.h"

namespace {

// Which refusal happened, from the log: 1 socket failure, or 3 attempts at receive-all mode.
void ExpectOneRefusal(const testing_support::LogCapture& log, std::uint32_t lastError) {
    const int socketFailed = log.CountStartingWith("socket failed，error no = 10043 ");
    const int receiveAllFailed = log.CountStartingWith("WSAIoctl，error no = 10045 ");
    EXPECT_EQ(receiveAllFailed, socketFailed == 1 ? 0 : 3);
    EXPECT_EQ(lastError, socketFailed == 1 ? 10043u : 10045u);  // WSAEPROTONOSUPPORT, WSAEOPNOTSUPP
    EXPECT_EQ(log.CountStartingWith("bind failed"), 0);
}

TEST(CaptureUnderWine, OpenAndLaunchFailLogTheRefusalSignalTheQuitEventAndStartNoThread) {
    if (!testing_support::RunningUnderWine()) {
        GTEST_SKIP() << "Windows itself may open the capture";
    }
    ASSERT_EQ(engine::StartNetworkLibrary(), 0u);
    engine::AdapterInfo info;
    ASSERT_EQ(engine::GetAdapterInfo(info), 0u);
    // The bind is never reached when the socket is refused; the host's first address serves otherwise.
    const std::uint32_t address =
        info.localAddresses.empty() ? engine::kLoopbackAddress : info.localAddresses.front();
    {
        testing_support::LogCapture log;
        engine::Capture capture;
        EXPECT_EQ(capture.Open(u"", engine::kSnifferBasePort, address), -1);
        ExpectOneRefusal(log, capture.LastError());
    }
    testing_support::LogCapture log;
    std::atomic<std::uint32_t> running{1};
    std::atomic<std::uint32_t> state{1};
    std::atomic<std::uint8_t> refresh{0};
    base::Event snifferEvent(base::EventReset::kManual, true);
    base::Event quitEvent(base::EventReset::kManual, false);
    RecordingCounter counter({});
    {
        engine::CaptureSet captures(
            engine::SnifferLinks{running, state, snifferEvent, quitEvent, {}, counter, refresh});
        const std::vector<std::u16string> names{u"{adapter}"};
        const std::vector<std::vector<std::uint32_t>> lists{{address}};
        EXPECT_EQ(captures.LaunchCaptures(names, lists), -1);
        EXPECT_TRUE(quitEvent.Wait(0));
        EXPECT_FALSE(captures.DecoderStarted());
        ASSERT_EQ(captures.Contexts().size(), 1u);
        const engine::SnifferContext& context = *captures.Contexts()[0];
        EXPECT_FALSE(context.snifferThread.IsStarted());
        EXPECT_EQ(context.primary, 1u);
        EXPECT_EQ(context.port, engine::kSnifferBasePort);
        ExpectOneRefusal(log, context.capture.LastError());
        EXPECT_EQ(log.CountStartingWith(
                      "InitNetwork failed，error no = " + std::to_string(context.capture.LastError()) + " "),
                  1);
        running = 0;
    }
    engine::StopNetworkLibrary();
}

}  // namespace
