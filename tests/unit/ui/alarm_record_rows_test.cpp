// The texts of the history page's and the alarm information dialog's rows.

#include "ui/alarm_record_rows.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support/joined.h"
#include "support/local_time.h"

namespace {

using engine::kAlarmIgnored;
using engine::kAlarmOptimized;
using engine::kAlarmUnhandled;

engine::SpeedAlarmRecord Entry(std::uint32_t pid, std::u16string name, std::uint32_t state,
                               std::uint64_t down, std::uint64_t up) {
    engine::SpeedAlarmRecord record(testing_support::LocalTime(2014, 3, 5, 9, 7, 2));
    std::tie(record.pid, record.name, record.path, record.handlingState, record.downBytes, record.upBytes) =
        std::tie(pid, name, u"C:\\p.exe", state, down, up);
    std::tie(record.downSpeedText, record.upSpeedText) = std::make_tuple(u"250KB/S", u"12.9KB/S");
    return record;
}

// Running processes with these ids, and an exited one (9), which keeps no name open.
std::vector<engine::ProcessRow> Running(std::initializer_list<std::uint32_t> pids) {
    std::vector<engine::ProcessRow> rows;
    for (const std::uint32_t pid : pids) {
        rows.push_back({0, pid, u"", u"", engine::kStateRunning, {}, {}});
    }
    rows.push_back({0, 9, u"", u"", engine::kStateExited, {}, {}});
    return rows;
}

TEST(AlarmRecordRows, OneRowPerEntryOldestFirst) {
    const std::vector<engine::SpeedAlarmRecord> history = {
        Entry(7, u"a.exe", kAlarmUnhandled, 999, 0),
        Entry(9, u"b.exe", kAlarmUnhandled, 1000000, 1500),
        Entry(4, u"System", kAlarmIgnored, 2500000000, 999999),
        Entry(8, u"c.exe(已关闭)", kAlarmOptimized, 0, 1000000000),
    };
    const std::u16string_view expected[] = {
        u"a.exe|7|12.9KB/S|250KB/S|1.00KB|0.00KB|未处理",
        u"b.exe(已关闭)|9|12.9KB/S|250KB/S|1.00MB|1.50KB|已优化",
        u"System|4|12.9KB/S|250KB/S|2.50GB|1000.00KB|已忽略",
        u"c.exe(已关闭)|8|12.9KB/S|250KB/S|0.00KB|1.00GB|已优化",
    };
    const auto rows = ui::AlarmRecordRows(history, Running({7, 4}));
    ASSERT_EQ(rows.size(), 4u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(testing_support::Joined(rows[i].texts), expected[i]) << i;
        EXPECT_EQ(rows[i].hasIcon, rows[i].pid != 4) << i;
        EXPECT_EQ(rows[i].path, u"C:\\p.exe");
    }
}

TEST(AlarmInfoRows, RatesInBitsVolumesAndTime) {
    const auto rows = ui::AlarmInfoRows({Entry(0, u"Idle", kAlarmUnhandled, 125, 1250000)}, Running({0}));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(testing_support::Joined(rows[0].texts),
              u"Idle|0|2.00mbps|96kbps|1.00kb|10.00mb|2014-3-5 09:07:02");
    EXPECT_FALSE(rows[0].hasIcon);
}

}  // namespace
