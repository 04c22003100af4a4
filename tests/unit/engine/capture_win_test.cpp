// The raw-socket capture under Wine: Wine refuses either the raw socket (10043) or receive-all mode
// (10045), so these tests check the failure path's messages and results. On Windows with administrative
// rights the capture would open; there the tests are skipped.

#include <gtest/gtest.h>

#include <atomic>

#include "base/event.h"
#include "engine/adapter_info.h"
#include "engine/capture.h"
#include "engine/capture_set.h"
#include "recording_counter.h"
#include "support/log_capture.h"
#include "support/wine_check.h"

namespace {

constexpr std::uint32_t kSocketTypeNotSupported = 10043;  // WSAEPROTONOSUPPORT
constexpr std::uint32_t kOperationNotSupported = 10045;   // WSAEOPNOTSUPP

class CaptureUnderWine : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!testing_support::RunningUnderWine()) {
            GTEST_SKIP() << "Windows itself may open the capture";
        }
        ASSERT_EQ(engine::StartNetworkLibrary(), 0u);
        started_ = true;
        engine::AdapterInfo info;
        ASSERT_EQ(engine::GetAdapterInfo(info), 0u);
        // The bind is never reached when the socket is refused; the host's first address serves otherwise.
        address_ = info.localAddresses.empty() ? engine::kLoopbackAddress : info.localAddresses.front();
    }
    void TearDown() override {
        if (started_) {
            engine::StopNetworkLibrary();
        }
    }

    // Which refusal happened, from the log: 1 socket failure, or 3 attempts at receive-all mode.
    void ExpectOneRefusal(const testing_support::LogCapture& log, std::uint32_t lastError) {
        const int socketFailed = log.CountStartingWith("socket failed，error no = 10043 ");
        const int receiveAllFailed = log.CountStartingWith("WSAIoctl，error no = 10045 ");
        RecordProperty("refusal", socketFailed == 1 ? "socket" : "receive-all");
        if (socketFailed == 1) {
            EXPECT_EQ(receiveAllFailed, 0);
            EXPECT_EQ(lastError, kSocketTypeNotSupported);
        } else {
            EXPECT_EQ(receiveAllFailed, 3);
            EXPECT_EQ(lastError, kOperationNotSupported);
        }
    }

    bool started_ = false;
    std::uint32_t address_ = 0;
};

TEST_F(CaptureUnderWine, OpenFailsWithMinusOneAndLogsTheRefusal) {
    testing_support::LogCapture log;
    engine::Capture capture;
    EXPECT_EQ(capture.Open(u"", engine::kSnifferBasePort, address_), -1);
    ExpectOneRefusal(log, capture.LastError());
    EXPECT_EQ(log.CountStartingWith("bind failed"), 0);
}

TEST_F(CaptureUnderWine, LaunchFailsSignalsTheQuitEventAndStartsNoThread) {
    testing_support::LogCapture log;
    std::atomic<std::uint32_t> running{1};
    std::atomic<std::uint32_t> state{1};
    std::atomic<std::uint8_t> refresh{0};
    base::Event snifferEvent(base::EventReset::kManual, true);
    base::Event quitEvent(base::EventReset::kManual, false);
    RecordingCounter counter({});
    engine::CaptureSet captures(
        engine::SnifferLinks{running, state, snifferEvent, quitEvent, {}, counter, refresh});
    const std::vector<std::u16string> names{u"{adapter}"};
    const std::vector<std::vector<std::uint32_t>> lists{{address_}};
    EXPECT_EQ(captures.LaunchCaptures(names, lists), -1);
    EXPECT_TRUE(quitEvent.Wait(0));
    EXPECT_FALSE(captures.DecoderStarted());
    ASSERT_EQ(captures.Contexts().size(), 1u);
    EXPECT_FALSE(captures.Contexts()[0]->snifferThread.IsStarted());
    EXPECT_EQ(captures.Contexts()[0]->primary, 1u);
    EXPECT_EQ(captures.Contexts()[0]->port, engine::kSnifferBasePort);
    const std::uint32_t error = captures.Contexts()[0]->capture.LastError();
    ExpectOneRefusal(log, error);
    EXPECT_EQ(log.CountStartingWith("InitNetwork failed，error no = " + std::to_string(error) + " "), 1);
    running = 0;
}

}  // namespace
