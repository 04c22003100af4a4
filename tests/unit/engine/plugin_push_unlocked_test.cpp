// The engine's pushes to the plugin go out after the engine lock is released, so a plugin that does not
// read holds up no request handler and no window timer.

#include <gtest/gtest.h>

#include <future>

#include "engine/process_list_push.h"
#include "statistics_fixture.h"

namespace {

using engine_test::StatisticsTest;

// Whether another thread can take the lock right now.
bool FreeForOthers(base::ReentrantLock& lock) {
    return std::async(std::launch::async,
                      [&lock] {
                          if (!lock.try_lock()) {
                              return false;
                          }
                          lock.unlock();
                          return true;
                      })
        .get();
}

// A plugin channel whose pipe is full: it takes nothing and counts what it dropped.
class FullChannel final : public engine::ITotalsSink {
  public:
    explicit FullChannel(base::ReentrantLock& lock) : lock_(lock) {}
    void PushTotals(std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t) override {
        lockFree = lockFree && FreeForOthers(lock_);
        dropped += 4;
    }
    bool lockFree = true;
    int dropped = 0;

  private:
    base::ReentrantLock& lock_;
};

TEST_F(StatisticsTest, TheTickPushesItsTotalsWithoutTheEngineLock) {
    AddProcess(100, u"game.exe", {5000});
    Start();
    FullChannel channel(lock_);
    stats_.SetTotalsSink(&channel);
    TickAt(1);
    TickAt(2);
    EXPECT_TRUE(channel.lockFree);
    EXPECT_EQ(channel.dropped, 8);
    stats_.SetTotalsSink(nullptr);
}

TEST_F(StatisticsTest, TheProcessListRoundIsSentWithoutTheEngineLock) {
    AddProcess(100, u"a.exe", {5000});
    AddProcess(200, u"b.exe", {5001});
    AddProcess(300, u"c.exe", {5002});
    Start();
    bool lockFree = true;
    int dropped = 0;
    // A full pipe drops the entry but is still open: the round goes on.
    const std::uint32_t sent = engine::PostProcessList(table_, [&](const engine::ProcessListEntry&) {
        lockFree = lockFree && FreeForOthers(lock_);
        ++dropped;
        return true;
    });
    EXPECT_EQ(sent, 3u);
    EXPECT_EQ(dropped, 3);
    EXPECT_TRUE(lockFree);
}

}  // namespace
