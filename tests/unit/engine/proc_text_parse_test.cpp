#include "engine/proc_text_parse.h"

#include <gtest/gtest.h>

#include "kernel_socket_fixtures.h"

namespace {

TEST(ProcStat, CapturedLine) {
    const auto stat = engine::ParseProcStat(engine_test::kProcStat);
    ASSERT_TRUE(stat);
    EXPECT_EQ(stat->pid, 17498u);
    EXPECT_EQ(stat->comm, "cap");
    EXPECT_EQ(stat->state, 'R');
    EXPECT_EQ(stat->startTime, 336717u);
}

TEST(ProcStat, CommandNamesMayHoldBlanksAndParentheses) {
    const std::string tail = " 1 1 1 0 -1 4194560 104 0 0 0 0 0 0 0 20 0 1 0 99 2600960 314\n";
    const auto odd = engine::ParseProcStat("42 (a) b) (c) Z" + tail);
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->comm, "a) b) (c");
    EXPECT_EQ(odd->state, 'Z');
    EXPECT_EQ(odd->startTime, 99u);
    const auto empty = engine::ParseProcStat("42 () S" + tail);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->comm, "");
}

TEST(ProcStat, RejectsMalformedText) {
    for (std::string_view text :
         {"", "42", "42 (x", "x (cap) R 1", "42 (cap) RR 1 1 1 0 -1 4 1 0 0 0 0 0 0 0 20 0 1 0 9",
          "42 (cap) R 1 1 1 0 -1 4 1 0 0 0 0 0 0 0 20 0 1 0 x9"}) {
        EXPECT_FALSE(engine::ParseProcStat(text)) << text;
    }
}

// Every cut before the start time's last digit leaves the line incomplete.
TEST(ProcStat, EveryCutIsSafe) {
    const std::string_view line = engine_test::kProcStat;
    const std::size_t startTimeEnd = line.find(" 336717 ") + 7;
    for (std::size_t size = 0; size < line.size(); ++size) {
        const std::string cut(line.substr(0, size));
        const auto stat = engine::ParseProcStat(cut);
        if (size < startTimeEnd - 6) {
            EXPECT_FALSE(stat) << size;
        }
    }
}

TEST(ProcStatus, CapabilityMasks) {
    const std::string_view status =
        "Name:\tkvt\nCapInh:\t0000000000000000\nCapEff:\t000001fffeffffff\nCapBnd:\tzz\n";
    EXPECT_EQ(engine::ParseStatusMask(status, "CapEff"), 0x000001fffeffffffu);
    EXPECT_EQ(engine::ParseStatusMask(status, "CapInh"), 0u);
    EXPECT_FALSE(engine::ParseStatusMask(status, "CapBnd"));
    EXPECT_FALSE(engine::ParseStatusMask(status, "CapPrm"));
    EXPECT_FALSE(engine::ParseStatusMask(status, "Cap"));
    EXPECT_FALSE(engine::ParseStatusMask("CapEff:", "CapEff"));
}

}  // namespace
