#include "ui/process_list_model.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "support/joined.h"
#include "support/local_time.h"
#include "unit/engine/engine_fakes.h"

namespace {

using testing_support::Joined;
using testing_support::LocalTime;

const base::SystemTime kStart = LocalTime(2026, 12, 7, 10, 0, 0);
const base::SystemTime kNow = LocalTime(2026, 12, 7, 10, 0, 10);

engine::ProcessRow Row(std::uint32_t record, std::u16string name, std::uint64_t down = 12'500) {
    // Running since kStart: 125 bytes up, `down` bytes down, three connections.
    return {record, 100 + record, name, u"C:\\bin\\" + name, 2, kStart, {}, 125, down, 3};
}

// One letter per change: a(dd), u(pdate), r(emove).
std::string Kinds(const std::vector<ui::ListChange>& changes) {
    std::string kinds;
    for (const auto& c : changes) {
        kinds += "aur"[static_cast<int>(c.kind)];
    }
    return kinds;
}

TEST(ProcessListModel, WhichNewRecordsAreListed) {
    auto accelerated = Row(1, u"game.exe");
    accelerated.accelerated = true;
    auto exited = Row(1, u"gone.exe(已关闭)");
    exited.state = 1;
    const std::tuple<const char*, engine::ProcessRow, std::uint64_t, bool> cases[] = {
        {"running", Row(1, u"app.exe"), 1, true},
        {"no traffic on the machine yet", Row(1, u"app.exe"), 0, false},
        {"accelerated", accelerated, 1, false},
        {"empty name (the head record)", Row(1, u""), 1, false},
        {"the closed marker alone", Row(1, u"(已关闭)"), 1, false},
        {"exited before it was listed", exited, 1, false},
    };
    for (const auto& [what, row, localTotal, listed] : cases) {
        ui::ProcessListModel model;
        EXPECT_EQ(model.Refresh({row}, localTotal, kNow).size(), listed ? 1u : 0u) << what;
        EXPECT_EQ(model.HasRow(1), listed) << what;
    }
}

TEST(ProcessListModel, ANewRowShowsTheAverageSinceTheStartThenTheRateOverOneSecond) {
    ui::ProcessListModel model;
    auto changes = model.Refresh({Row(4, u"app.exe")}, 1, kNow);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0],
              (ui::ListChange{ui::ListChange::Kind::kAdd, 4, 104, u"C:\\bin\\app.exe", changes[0].texts}));
    // 100 000 bits and 1 000 bits over 10 s.
    EXPECT_EQ(Joined(changes[0].texts), u"app.exe|10.00kbps|100bps|100.00kb|1.00kb|3");

    auto row = Row(4, u"app.exe", 12'500 + 125'000);
    row.bytesUp += 1'250;
    row.connectionCount = 12;
    EXPECT_EQ(Joined(model.Refresh({row}, 1, kNow).at(0).texts),
              u"app.exe|1.00mbps|10.00kbps|1.10mb|11.00kb|12");
    EXPECT_EQ(Joined(model.Refresh({row}, 1, kNow).at(0).texts), u"app.exe|0bps|0bps|1.10mb|11.00kb|12");
    // A large total reaches the terabit rung.
    changes = model.Refresh({Row(4, u"app.exe", 125'000'000'000)}, 1, kNow);
    EXPECT_EQ(changes.at(0).texts[ui::kDownTotalColumn], u"1.00Tb");
}

TEST(ProcessListModel, RowsLeaveWhenAcceleratedExitedOrForgotten) {
    ui::ProcessListModel model;
    auto game = Row(1, u"game.exe");
    auto app = Row(2, u"app.exe");
    auto other = Row(3, u"other.exe");
    EXPECT_EQ(Kinds(model.Refresh({game, app, other}, 1, kNow)), "aaa");
    model.Forget(3);  // a forgotten row is not removed nor listed again
    game.accelerated = true;
    app.state = 1;
    app.name += u"(已关闭)";
    EXPECT_EQ(Kinds(model.Refresh({game, app, other}, 1, kNow)), "rr");
    EXPECT_EQ(model.RowCount(), 0u);
    EXPECT_TRUE(model.Refresh({game, app, other}, 1, kNow).empty());
    // No longer accelerated: listed again. An exited record never comes back.
    game.accelerated = false;
    app.state = 2;
    other.state = 1;
    EXPECT_EQ(Kinds(model.Refresh({game, app, other}, 1, kNow)), "a");
    EXPECT_TRUE(model.HasRow(1));
    EXPECT_FALSE(model.HasRow(2));
}

// Names compare ordinally (upper case first), figures by unit then number, counts as numbers.
TEST(CompareListTexts, EachColumnAscendingAndTurnedRound) {
    const std::tuple<int, std::u16string_view, std::u16string_view, int> cases[] = {
        {ui::kNameColumn, u"B.exe", u"a.exe", -1},
        {ui::kDownRateColumn, u"1.00mbps", u"999.00kbps", 1},
        {ui::kUpRateColumn, u"5bps", u"5bps", -1},
        {ui::kDownTotalColumn, u"1.00Tb", u"9.00gb", 1},
        {ui::kUpTotalColumn, u"2.00kb", u"10.00kb", -1},
        {ui::kConnectionsColumn, u"9", u"10", -1},
        {ui::kConnectionsColumn, u"10", u"9", 1},
        {ui::kConnectionsColumn, u"7", u"7", 0},
        {ui::kListColumnCount, u"a", u"b", 1}};
    for (const auto& [column, a, b, ascending] : cases) {
        EXPECT_EQ(ui::CompareListTexts(column, a, b, 1), ascending) << column;
        EXPECT_EQ(ui::CompareListTexts(column, a, b, -1), -ascending) << column;
    }
}

// Open: the rate runs to now (10 s); closed within its first second: the whole count over one second.
TEST(ConnectionListRows, OneRowPerConnectionInRecordOrder) {
    const auto connection = [](std::uint32_t protocol, std::uint32_t state) {
        const bool tcp = protocol == 6;
        const auto start = LocalTime(2026, 12, 7, 9, 5, 7);
        return engine::ConnectionRow{protocol,
                                     tcp ? engine_test::Ip(192, 168, 1, 5) : 0,
                                     50000,
                                     tcp ? engine_test::Ip(1, 2, 3, 4) : 0,
                                     tcp ? 443u : 0u,
                                     state,
                                     124,
                                     125'000,
                                     start,
                                     state == 2 ? base::SystemTime{} : start};
    };
    engine::ProcessDetail app{Row(1, u"app.exe"), {connection(6, 2), connection(17, 1)}};
    engine::ProcessDetail other{Row(2, u"other.exe"), {connection(17, 2)}};
    const auto one = ui::ConnectionListRows({app}, LocalTime(2026, 12, 7, 9, 5, 17));
    ASSERT_EQ(one.size(), 2u);
    EXPECT_EQ(std::tie(one[0].pid, one[0].path), std::make_tuple(101u, u"C:\\bin\\app.exe"));
    EXPECT_EQ(Joined(one[0].texts),
              u"app.exe|101|TCP|192.168.1.5|50000|1.2.3.4|443|1.00mb|992b|100.00kbps|99bps|"
              u"监听中|9 时5 分7 秒|0 时0 分0 秒");
    EXPECT_EQ(Joined(one[1].texts),
              u"app.exe|101|UDP|0.0.0.0|50000|0.0.0.0|0|1.00mb|992b|1.00mbps|992bps|"
              u"已关闭|9 时5 分7 秒|9 时5 分7 秒");
    const auto all = ui::ConnectionListRows({app, other}, kNow);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[2].texts[0], u"other.exe");
}

TEST(DetailTexts, ProcessAndMachine) {
    EXPECT_EQ(Joined(ui::ProcessDetailTexts(Row(1, u"app.exe", 1'250'000))),
              u"app.exe|101|C:\\bin\\app.exe||10.00mb|1.00kb|3");
    engine::MachineFigures machine{u"HOST", u"10.0.0.2", kStart, 1'250, 125'000'000'000};
    EXPECT_EQ(Joined(ui::MachineFigureTexts(machine, kNow)),
              u"HOST|10.0.0.2|10 时0 分0 秒|1000.00gb|10.00kb|100.00gbps|1.00kbps");
}

}  // namespace
