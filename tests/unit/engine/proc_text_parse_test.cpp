#include "engine/proc_text_parse.h"

#include <gtest/gtest.h>

#include "kernel_socket_fixtures.h"

namespace {

TEST(ProcStat, ReadsPidCommandStateAndStartTime) {
    const std::string tail = " 1 1 1 0 -1 4194560 104 0 0 0 0 0 0 0 20 0 1 0 99 2600960 314\n";
    const struct {
        std::string text;
        std::uint32_t pid;
        std::string comm;
        char state;
        std::uint64_t startTime;
    } cases[] = {
        {std::string(engine_test::kProcStat), 17498, "cap", 'R', 336717},
        {"42 (a) b) (c) Z" + tail, 42, "a) b) (c", 'Z', 99},  // names may hold blanks and parentheses
        {"42 () S" + tail, 42, "", 'S', 99},
    };
    for (const auto& c : cases) {
        const auto stat = engine::ParseProcStat(c.text);
        ASSERT_TRUE(stat) << c.text;
        EXPECT_EQ(stat->pid, c.pid);
        EXPECT_EQ(stat->comm, c.comm);
        EXPECT_EQ(stat->state, c.state);
        EXPECT_EQ(stat->startTime, c.startTime);
    }
    for (std::string_view text : {"x (cap) R 1", "42 (cap) RR 1 1 1 0 -1 4 1 0 0 0 0 0 0 0 20 0 1 0 9",
                                  "42 (cap) R 1 1 1 0 -1 4 1 0 0 0 0 0 0 0 20 0 1 0 x9"}) {
        EXPECT_FALSE(engine::ParseProcStat(text)) << text;
    }
    EXPECT_FALSE(engine::ParseProcStat("4294967296 (cap) S" + tail)) << "a pid beyond 32 bits";
    // Every cut before the start time's last digit leaves the line incomplete.
    const std::string_view line = engine_test::kProcStat;
    for (std::size_t size = 0; size < line.find(" 336717 ") + 1; ++size) {
        EXPECT_FALSE(engine::ParseProcStat(std::string(line.substr(0, size)))) << size;
    }
}

TEST(ProcStatus, CapabilityMasks) {
    const std::string_view status = "Name:\tkvt\nCapEff:\t000001fffeffffff\nCapBnd:\tzz\n";
    EXPECT_EQ(engine::ParseStatusMask(status, "CapEff"), 0x000001fffeffffffu);
    EXPECT_FALSE(engine::ParseStatusMask(status, "CapBnd"));
    EXPECT_FALSE(engine::ParseStatusMask(status, "CapPrm"));
    EXPECT_FALSE(engine::ParseStatusMask(status, "Cap"));
    EXPECT_FALSE(engine::ParseStatusMask("CapEff:", "CapEff"));
}

}  // namespace
