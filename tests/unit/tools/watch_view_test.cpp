// The watch mode's view: which messages make it print, the rates it computes between rounds of the
// totals pushes, and the process list it prints once a round of it is complete.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ipc/command_ids.h"
#include "ipc/monitor_message.h"
#include "plugin/watch_view.h"
#include "unit/tools/console_test_host.h"

namespace {

using console::WatchView;
using console_test::Lines;

const base::SystemTime kAt{2026, 12, 0, 6, 10, 0, 5, 42};

ipc::ParsedMonitorMessage Bytes(std::uint32_t id, std::uint64_t bytes) {
    return {ipc::ParseStatus::kOk, id, ipc::BytesAnswer{bytes}};
}

// One round of the four totals pushes; returns what the view printed for each message, joined.
std::string Round(WatchView& view, std::int64_t steadyMs, std::uint64_t localDown, std::uint64_t localUp,
                  std::uint64_t accDown, std::uint64_t accUp) {
    const std::pair<std::uint32_t, std::uint64_t> pushes[] = {{ipc::cmd::kPostLocalDownReflux, localDown},
                                                              {ipc::cmd::kPostLocalUpReflux, localUp},
                                                              {ipc::cmd::kPostAccelerateDownReflux, accDown},
                                                              {ipc::cmd::kPostAccelerateUpReflux, accUp}};
    std::string printed;
    for (const auto& [id, bytes] : pushes) {
        printed += view.OnMessage(Bytes(id, bytes), steadyMs, kAt);
    }
    return printed;
}

std::string Process(WatchView& view, std::uint32_t sequence, std::uint32_t pid, std::uint32_t state,
                    std::uint64_t up, std::uint64_t down, const std::u16string& name,
                    const base::SystemTime& start = {}, const base::SystemTime& exit = {},
                    std::int64_t steadyMs = 0) {
    const ipc::ProcessListEntry e{sequence, 0, state, 0, 0, pid, up, down, start, exit, name, u""};
    return view.OnMessage({ipc::ParseStatus::kOk, ipc::cmd::kPostProcessListReflux, e}, steadyMs, kAt);
}

// The figures without the padding that aligns them.
std::string Squeezed(const std::string& line) {
    std::string out;
    for (char c : line) {
        if (c != ' ' || out.empty() || out.back() != ' ') {
            out.push_back(c);
        }
    }
    return out;
}

TEST(WatchView, PrintsTheTotalsOnceTheRoundOfFourIsComplete) {
    WatchView view;
    EXPECT_EQ(view.OnMessage(Bytes(ipc::cmd::kPostLocalDownReflux, 1000), 0, kAt), "");
    // The unattributed answer adds a third line to the next round; other answers, and messages that did
    // not decode, change nothing.
    EXPECT_EQ(view.OnMessage(Bytes(ipc::cmd::kGetUnattributedRefluxResponse, 53000), 0, kAt), "");
    EXPECT_EQ(view.OnMessage(Bytes(ipc::cmd::kGetAccelerateUpRefluxResponse, 5), 0, kAt), "");
    EXPECT_EQ(
        view.OnMessage({ipc::ParseStatus::kMalformed, ipc::cmd::kPostAccelerateUpReflux, ipc::BytesAnswer{5}},
                       0, kAt),
        "");
    // The first round has nothing to take a rate from.
    EXPECT_EQ(
        Lines(Round(view, 0, 125000, 1000, 124, 0)),
        (std::vector<std::string>{
            "10:00:05  machine      down    1.00mb at -           (125000 B)   up    8.00kb at -           "
            "(1000 B)",
            "          accelerated  down      992b at -           (124 B)   up        0b at -           (0 "
            "B)",
            "          unattributed  424.00kb (53000 B)"}));
}

TEST(WatchView, RatesAreTheDifferencesOverTheWholeSecondsBetweenRounds) {
    struct Case {
        const char* what;
        std::int64_t secondRoundMs;
        std::uint64_t localDown;  // the first round had 1 000 000
        const char* rate;
    };
    const Case cases[] = {
        {"a late push still counts as one second", 1499, 1125000, "down 9.00mb at 1.00mbps (1125000 B)"},
        {"two seconds halve the rate", 2000, 1125000, "down 9.00mb at 500.00kbps (1125000 B)"},
        {"pushes in the same moment count as one second", 0, 1000100, "down 8.00mb at 800bps (1000100 B)"},
        // The accelerated side is reset when the accelerator stops; a total that shrinks is no traffic.
        {"a smaller total", 1000, 10, "down 80b at 0bps (10 B)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WatchView view;
        Round(view, 5000, 1000000, 0, 0, 0);
        const std::vector<std::string> lines =
            Lines(Round(view, 5000 + c.secondRoundMs, c.localDown, 0, 0, 0));
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(Squeezed(lines[0]), std::string("10:00:05 machine ") + c.rate + " up 0b at 0bps (0 B)");
    }
}

TEST(WatchView, PrintsARoundOfTheProcessListAfterTheNextTotals) {
    WatchView view;
    EXPECT_EQ(Process(view, 1, 7, 2, 100, 200, u"stale.exe"), "");
    // A new round starts with sequence 1: what came before it is dropped.
    EXPECT_EQ(Process(view, 1, 4242, 2, 125, 1250000, u"GameClient.exe"), "");
    EXPECT_EQ(Process(view, 2, 31, 1, 0, 124, u"下载器.exe(已关闭)"), "");
    EXPECT_EQ(Process(view, 2, 32, 5, 0, 0, u"odd.exe"), "");
    const std::vector<std::string> lines = Lines(Round(view, 0, 0, 0, 0, 0));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[2], "10:00:05  processes (3)");
    EXPECT_EQ(lines[3], "      pid  state      down rate         up       down   name");
    // Without a start time there is no rate: the monitor's order stays.
    EXPECT_EQ(lines[4], "     4242  running         0bps     1.00kb    10.00mb   GameClient.exe");
    EXPECT_EQ(Squeezed(lines[5]), " 31 exited 0bps 0b 992b 下载器.exe(已关闭)");
    EXPECT_EQ(Squeezed(lines[6]), " 32 state 5 0bps 0b 0b odd.exe");
    // Printed once.
    EXPECT_EQ(Lines(Round(view, 1000, 0, 0, 0, 0)).size(), 2u);
}

TEST(WatchView, ProcessesGoBiggestDownloadRateFirst) {
    const base::SystemTime started{2026, 12, 0, 6, 9, 59, 55, 0};  // 10 s before kAt
    const base::SystemTime ended{2026, 12, 0, 6, 9, 59, 56, 0};
    // The process lines: after the two of the totals, the stamp and the heading.
    const auto order = [](const std::string& printed) {
        std::vector<std::string> lines = Lines(printed);
        std::vector<std::string> processes;
        for (std::size_t i = 4; i < lines.size(); ++i) {
            processes.push_back(Squeezed(lines[i]));
        }
        return processes;
    };
    WatchView view;
    // First sight: the average since the start, or over the life of an exited process.
    Process(view, 1, 1, 2, 0, 1'250, u"a", started);
    Process(view, 2, 2, 2, 0, 125'000, u"b", started);
    Process(view, 2, 3, 1, 0, 1'250'000, u"c", started, ended);
    EXPECT_EQ(
        order(Round(view, 0, 0, 0, 0, 0)),
        (std::vector<std::string>{" 3 exited 10.00mbps 0b 10.00mb c", " 2 running 100.00kbps 0b 1.00mb b",
                                  " 1 running 1.00kbps 0b 10.00kb a"}));
    // A minute later: the bytes since the previous round over 60 s; a new process shows its average.
    Process(view, 1, 1, 2, 0, 1'250 + 7'500'000, u"a", started, {}, 60'000);
    Process(view, 2, 2, 2, 0, 125'000, u"b", started, {}, 60'000);
    Process(view, 2, 3, 1, 0, 1'250'000, u"c", started, ended, 60'000);
    Process(view, 2, 4, 2, 0, 125, u"d", started, {}, 60'000);
    EXPECT_EQ(order(Round(view, 60'000, 0, 0, 0, 0)),
              (std::vector<std::string>{" 1 running 1.00mbps 0b 60.01mb a", " 4 running 100bps 0b 1.00kb d",
                                        " 2 running 0bps 0b 1.00mb b", " 3 exited 0bps 0b 10.00mb c"}));
}

}  // namespace
