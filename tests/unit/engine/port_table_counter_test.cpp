#include "engine/port_table_counter.h"

#include <gtest/gtest.h>

#include "engine/process_names.h"
#include "engine_fakes.h"

namespace {

using engine_test::Ip;

// A table with one game process owning TCP port 5000 and UDP port 6000, as the decoder meets it.
class PortTableCounterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        processes_.Add(100, u"GameClient.exe");
        sockets_.tcp.push_back(engine::TcpRow{engine::TcpState::kEstablished, Ip(192, 168, 1, 10), 5000,
                                              Ip(203, 0, 113, 7), 443, 100});
        sockets_.udp.push_back(engine::UdpRow{Ip(192, 168, 1, 10), 6000, 100});
        ASSERT_EQ(table_.InitProcessList(), 0u);
    }

    engine::ConnectionRecord& RecordOf(std::uint16_t port) {
        base::AutoLock hold(lock_);
        engine::ConnectionRecord* record = table_.FindPortRecord(port);
        EXPECT_NE(record, nullptr);
        return *record;
    }

    base::ReentrantLock lock_;
    engine_test::FakeSocketTable sockets_;
    engine_test::FakeProcessSource processes_;
    engine::ProcessNames names_{processes_};
    engine_test::FakeClock clock_;
    engine::ProcessTable table_{lock_, sockets_, names_, clock_};
    engine::PortTableCounter counter_{table_};
};

TEST_F(PortTableCounterTest, AddsEachDirectionToItsOwnCounter) {
    const struct {
        engine::PacketCount count;
        bool found;
    } packets[] = {
        {{engine::CountProtocol::kTcp, engine::CountDirection::kUpload, 5000, 1460}, true},
        {{engine::CountProtocol::kTcp, engine::CountDirection::kDownload, 5000, 100}, true},
        {{engine::CountProtocol::kTcp, engine::CountDirection::kUpload, 5000, 40}, true},
        {{engine::CountProtocol::kUdp, engine::CountDirection::kDownload, 6000, 1200}, true},
        {{engine::CountProtocol::kUdp, engine::CountDirection::kUpload, 7000, 99}, false},
    };
    for (const auto& p : packets) {
        EXPECT_EQ(counter_.CountPacket(p.count), p.found) << p.count.localPort;
    }
    EXPECT_EQ(RecordOf(5000).bytesUp, 1500u);
    EXPECT_EQ(RecordOf(5000).bytesDown, 100u);
    EXPECT_EQ(RecordOf(6000).bytesUp, 0u);
    EXPECT_EQ(RecordOf(6000).bytesDown, 1200u);
}

TEST_F(PortTableCounterTest, AMissedPortCountsFromItsFirstPacketOnceARefreshListsIt) {
    const engine::PacketCount packet{engine::CountProtocol::kUdp, engine::CountDirection::kUpload, 7000, 500};
    for (const bool keep : {true, false}) {
        SCOPED_TRACE(keep ? "kept" : "dropped");
        table_.SetKeepMissedBytes(keep);
        sockets_.udp.resize(1);
        ASSERT_EQ(table_.InitProcessList(), 0u);
        EXPECT_FALSE(counter_.CountPacket(packet));
        sockets_.udp.push_back(engine::UdpRow{Ip(192, 168, 1, 10), 7000, 100});
        ASSERT_EQ(table_.RefreshProcessList(), 0u);
        // Without keeping, the miss cache holds the port back for its window after the first miss.
        EXPECT_EQ(counter_.CountPacket(packet), keep);
        clock_.tick += engine::kMissCacheWindowMs + 1;
        EXPECT_TRUE(counter_.CountPacket(packet));
        EXPECT_EQ(RecordOf(7000).bytesUp, keep ? 1500u : 500u);
    }
}

}  // namespace
