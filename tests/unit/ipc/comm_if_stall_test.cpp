// CCommIF on a pipe that takes nothing: every write returns at once or after its bound, and is counted.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

#include "ipc/command_ids.h"
#include "unit/ipc/comm_if_test_util.h"

namespace {

using comm_if_test::Encode;
using comm_if_test::FakeRequests;

// Records the bound of every write and refuses it as a full pipe does, or takes it.
class FullPipe : public ipc::CNamedPipeClientCallBackMode {
  public:
    std::uint32_t Open(std::u16string_view) override { return 1; }
    std::uint32_t StartReading() override { return 1; }
    std::uint32_t WriteWithin(const void*, std::uint32_t, std::uint32_t* written,
                              std::uint32_t timeoutMs) override {
        std::lock_guard<std::mutex> lock(mutex_);
        bounds_.push_back(timeoutMs);
        *written = 0;
        return full_ ? ipc::kPipeErrorWaitTimeout : (closed_ ? ipc::kPipeErrorNoData : 0);
    }
    void SetFull(bool full) {
        std::lock_guard<std::mutex> lock(mutex_);
        full_ = full;
    }
    void SetClosed() {
        std::lock_guard<std::mutex> lock(mutex_);
        full_ = false;
        closed_ = true;
    }
    std::vector<std::uint32_t> TakeBounds() {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::exchange(bounds_, {});
    }

  private:
    std::mutex mutex_;
    bool full_ = true;
    bool closed_ = false;
    std::vector<std::uint32_t> bounds_;
};

class CommIfOnFullPipe : public ipc::CCommIF {
  public:
    using CCommIF::CCommIF;
    FullPipe* pipe = nullptr;

  protected:
    std::unique_ptr<ipc::CNamedPipeClientCallBackMode> NewClient() override {
        auto client = std::make_unique<FullPipe>();
        pipe = client.get();
        return client;
    }
};

struct StallTest : ::testing::Test {
    void SetUp() override { ASSERT_EQ(comm.Init(u"\\\\.\\pipe\\full"), 1u); }
    void Ask() { comm.Dispatch(Encode(ipc::cmd::kGetLocalDownReflux, ipc::NoArgs{})); }

    FakeRequests requests;
    CommIfOnFullPipe comm{requests};
};

TEST_F(StallTest, PushesAskForNoWaitAndAreCountedWhenDropped) {
    comm.PushTotals(1, 2, 3, 4);
    comm.PostStartResult(1);
    EXPECT_TRUE(comm.PostProcessListEntry(engine::ProcessListEntry{}));
    EXPECT_EQ(comm.pipe->TakeBounds(), (std::vector<std::uint32_t>{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(comm.DroppedPushes(), 6u);
    EXPECT_EQ(comm.DroppedAnswers(), 0u);
}

TEST_F(StallTest, TheFirstAnswerWaitsItsBoundAndTheRestOfTheStallNone) {
    Ask();
    Ask();
    Ask();
    EXPECT_EQ(comm.pipe->TakeBounds(), (std::vector<std::uint32_t>{ipc::CCommIF::kAnswerWaitMs, 0, 0}));
    EXPECT_EQ(comm.DroppedAnswers(), 3u);

    // The plugin reads again: the stall ends with the next message taken, and answers wait again.
    comm.pipe->SetFull(false);
    Ask();
    comm.pipe->SetFull(true);
    Ask();
    EXPECT_EQ(comm.pipe->TakeBounds(), (std::vector<std::uint32_t>{0, ipc::CCommIF::kAnswerWaitMs}));
    EXPECT_EQ(comm.DroppedAnswers(), 4u);
}

TEST_F(StallTest, APipeWhosePeerHasClosedIsNotCountedAsFull) {
    comm.pipe->SetClosed();
    comm.PushTotals(1, 2, 3, 4);
    Ask();
    EXPECT_EQ(comm.pipe->TakeBounds(), (std::vector<std::uint32_t>{0, 0, 0, 0, ipc::CCommIF::kAnswerWaitMs}));
    EXPECT_EQ(comm.DroppedPushes(), 0u);
    EXPECT_EQ(comm.DroppedAnswers(), 0u);
}

}  // namespace
