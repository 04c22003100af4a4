#include "ui/process_list_model.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "support/local_time.h"
#include "unit/engine/engine_fakes.h"

namespace {

using testing_support::LocalTime;
using Kind = ui::ListChange::Kind;

const base::SystemTime kStart = LocalTime(2026, 12, 7, 10, 0, 0);
const base::SystemTime kNow = LocalTime(2026, 12, 7, 10, 0, 10);

engine::ProcessRow Row(std::size_t record, std::u16string name, std::uint64_t down = 12'500,
                       std::uint64_t up = 125) {
    engine::ProcessRow row;
    row.record = record;
    row.pid = 100 + static_cast<std::uint32_t>(record);
    row.name = std::move(name);
    row.path = u"C:\\bin\\" + row.name;
    row.state = 2;
    row.startTime = kStart;
    row.bytesDown = down;
    row.bytesUp = up;
    row.connectionCount = 3;
    return row;
}

std::vector<Kind> Kinds(const std::vector<ui::ListChange>& changes) {
    std::vector<Kind> kinds;
    for (const auto& c : changes) {
        kinds.push_back(c.kind);
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
    ui::ListChange expected;
    expected.kind = Kind::kAdd;
    expected.record = 4;
    expected.pid = 104;
    expected.path = u"C:\\bin\\app.exe";
    // 100 000 bits and 1 000 bits over 10 s.
    expected.texts = {u"app.exe", u"10.00kbps", u"100bps", u"100.00kb", u"1.00kb", u"3"};
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], expected);

    auto row = Row(4, u"app.exe", 12'500 + 125'000, 125 + 1'250);
    row.connectionCount = 12;
    changes = model.Refresh({row}, 1, kNow);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].kind, Kind::kUpdate);
    EXPECT_EQ(changes[0].texts,
              (ui::ListRowTexts{u"app.exe", u"1.00mbps", u"10.00kbps", u"1.10mb", u"11.00kb", u"12"}));
    changes = model.Refresh({row}, 1, kNow);
    EXPECT_EQ(changes.at(0).texts[ui::kDownRateColumn], u"0bps");
    EXPECT_EQ(changes.at(0).texts[ui::kUpRateColumn], u"0bps");
    // A large total reaches the terabit rung.
    changes = model.Refresh({Row(4, u"app.exe", 125'000'000'000)}, 1, kNow);
    EXPECT_EQ(changes.at(0).texts[ui::kDownTotalColumn], u"1.00Tb");
}

TEST(ProcessListModel, RowsLeaveWhenAcceleratedExitedOrForgotten) {
    ui::ProcessListModel model;
    auto game = Row(1, u"game.exe");
    auto app = Row(2, u"app.exe");
    auto other = Row(3, u"other.exe");
    EXPECT_EQ(Kinds(model.Refresh({game, app, other}, 1, kNow)),
              (std::vector{Kind::kAdd, Kind::kAdd, Kind::kAdd}));
    model.Forget(3);  // a forgotten row is not removed nor listed again
    game.accelerated = true;
    app.state = 1;
    app.name += u"(已关闭)";
    EXPECT_EQ(Kinds(model.Refresh({game, app, other}, 1, kNow)), (std::vector{Kind::kRemove, Kind::kRemove}));
    EXPECT_EQ(model.RowCount(), 0u);
    EXPECT_TRUE(model.Refresh({game, app, other}, 1, kNow).empty());
    // No longer accelerated: listed again. An exited record never comes back.
    game.accelerated = false;
    app.state = 2;
    other.state = 1;
    EXPECT_EQ(Kinds(model.Refresh({game, app, other}, 1, kNow)), (std::vector{Kind::kAdd}));
    EXPECT_TRUE(model.HasRow(1));
    EXPECT_FALSE(model.HasRow(2));
}

TEST(CompareListTexts, EachColumnAscendingAndTurnedRound) {
    const std::tuple<int, std::u16string_view, std::u16string_view, int> cases[] = {
        {ui::kNameColumn, u"a.exe", u"b.exe", -1},
        {ui::kNameColumn, u"B.exe", u"a.exe", -1},  // ordinal: upper case first
        {ui::kNameColumn, u"a.exe", u"a.exe", 0},
        {ui::kDownRateColumn, u"1.00mbps", u"999.00kbps", 1},
        {ui::kUpRateColumn, u"5bps", u"5bps", -1},
        {ui::kDownTotalColumn, u"1.00Tb", u"9.00gb", 1},
        {ui::kUpTotalColumn, u"2.00kb", u"10.00kb", -1},
        {ui::kConnectionsColumn, u"9", u"10", -1},
        {ui::kConnectionsColumn, u"10", u"9", 1},
        {ui::kConnectionsColumn, u"7", u"7", 0},
        {ui::kListColumnCount, u"a", u"b", 1},
    };
    for (const auto& [column, a, b, ascending] : cases) {
        EXPECT_EQ(ui::CompareListTexts(column, a, b, 1), ascending) << column;
        EXPECT_EQ(ui::CompareListTexts(column, a, b, -1), -ascending) << column;
    }
}

engine::ConnectionRow Connection(std::uint32_t protocol, std::uint32_t state) {
    engine::ConnectionRow c;
    c.protocol = protocol;
    c.localAddress = protocol == 6 ? engine_test::Ip(192, 168, 1, 5) : 0;
    c.localPort = 50000;
    c.remoteAddress = protocol == 6 ? engine_test::Ip(1, 2, 3, 4) : 0;
    c.remotePort = protocol == 6 ? 443 : 0;
    c.state = state;
    c.bytesDown = 125'000;
    c.bytesUp = 124;
    c.startTime = LocalTime(2026, 12, 7, 9, 5, 7);
    c.endTime = state == 2 ? base::SystemTime{} : c.startTime;
    return c;
}

TEST(ConnectionListRows, OneRowPerConnectionInRecordOrder) {
    engine::ProcessDetail app{Row(1, u"app.exe"), {Connection(6, 2), Connection(17, 1)}};
    engine::ProcessDetail other{Row(2, u"other.exe"), {Connection(17, 2)}};
    const auto one = ui::ConnectionListRows({app}, LocalTime(2026, 12, 7, 9, 5, 17));
    ASSERT_EQ(one.size(), 2u);
    EXPECT_EQ(one[0].pid, 101u);
    EXPECT_EQ(one[0].path, u"C:\\bin\\app.exe");
    // Open: the rate runs to now (10 s).
    EXPECT_EQ(one[0].texts,
              (std::array<std::u16string, 14>{u"app.exe", u"101", u"TCP", u"192.168.1.5", u"50000",
                                              u"1.2.3.4", u"443", u"1.00mb", u"992b", u"100.00kbps", u"99bps",
                                              u"监听中", u"9 时5 分7 秒", u"0 时0 分0 秒"}));
    // Closed within its first second: the whole count over one second.
    EXPECT_EQ(one[1].texts,
              (std::array<std::u16string, 14>{u"app.exe", u"101", u"UDP", u"0.0.0.0", u"50000", u"0.0.0.0",
                                              u"0", u"1.00mb", u"992b", u"1.00mbps", u"992bps", u"已关闭",
                                              u"9 时5 分7 秒", u"9 时5 分7 秒"}));
    const auto all = ui::ConnectionListRows({app, other}, kNow);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[2].texts[0], u"other.exe");
    EXPECT_TRUE(ui::ConnectionListRows({}, kNow).empty());
}

TEST(DetailTexts, ProcessAndMachine) {
    EXPECT_EQ(ui::ProcessDetailTexts(Row(1, u"app.exe", 1'250'000)),
              (std::array<std::u16string, 7>{u"app.exe", u"101", u"C:\\bin\\app.exe", u"", u"10.00mb",
                                             u"1.00kb", u"3"}));
    engine::MachineFigures machine{u"HOST", u"10.0.0.2", kStart, 1'250, 125'000'000'000};
    EXPECT_EQ(ui::MachineFigureTexts(machine, kNow),
              (std::array<std::u16string, 7>{u"HOST", u"10.0.0.2", u"10 时0 分0 秒", u"1000.00gb", u"10.00kb",
                                             u"100.00gbps", u"1.00kbps"}));
}

}  // namespace
