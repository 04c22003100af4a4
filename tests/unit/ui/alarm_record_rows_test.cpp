// The texts of the history page's and the alarm information dialog's rows.

#include "ui/alarm_record_rows.h"

#include <gtest/gtest.h>

#include "support/local_time.h"

namespace {

using engine::kAlarmIgnored;
using engine::kAlarmOptimized;
using engine::kAlarmUnhandled;

engine::SpeedAlarmRecord Entry(std::uint32_t pid, std::u16string name, std::uint32_t state,
                               std::uint64_t down, std::uint64_t up) {
    engine::SpeedAlarmRecord record(testing_support::LocalTime(2014, 3, 5, 9, 7, 2));
    record.pid = pid;
    record.name = std::move(name);
    record.path = u"C:\\p.exe";
    record.handlingState = state;
    record.downBytes = down;
    record.upBytes = up;
    record.downSpeedText = u"250KB/S";
    record.upSpeedText = u"12.9KB/S";
    return record;
}

std::vector<engine::ProcessRow> Running(std::initializer_list<std::uint32_t> pids) {
    std::vector<engine::ProcessRow> rows;
    for (const std::uint32_t pid : pids) {
        engine::ProcessRow row;
        row.pid = pid;
        row.state = engine::kStateRunning;
        rows.push_back(row);
    }
    engine::ProcessRow exited;  // an exited record does not keep a name open
    exited.pid = 9;
    exited.state = engine::kStateExited;
    rows.push_back(exited);
    return rows;
}

TEST(AlarmRecordRows, OneRowPerEntryOldestFirst) {
    const std::vector<engine::SpeedAlarmRecord> history = {
        Entry(7, u"a.exe", kAlarmUnhandled, 999, 0),
        Entry(9, u"b.exe", kAlarmUnhandled, 1000000, 1500),
        Entry(4, u"System", kAlarmIgnored, 2500000000, 999999),
        Entry(8, u"c.exe(已关闭)", kAlarmOptimized, 0, 1000000000),
    };
    using Texts = std::array<std::u16string, ui::kAlarmRowColumnCount>;
    const Texts expected[] = {
        {u"a.exe", u"7", u"12.9KB/S", u"250KB/S", u"1.00KB", u"0.00KB", u"未处理"},
        {u"b.exe(已关闭)", u"9", u"12.9KB/S", u"250KB/S", u"1.00MB", u"1.50KB", u"已优化"},
        {u"System", u"4", u"12.9KB/S", u"250KB/S", u"2.50GB", u"1000.00KB", u"已忽略"},
        {u"c.exe(已关闭)", u"8", u"12.9KB/S", u"250KB/S", u"0.00KB", u"1.00GB", u"已优化"},
    };
    const auto rows = ui::AlarmRecordRows(history, Running({7, 4}));
    ASSERT_EQ(rows.size(), 4u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].texts, expected[i]) << i;
        EXPECT_EQ(rows[i].hasIcon, rows[i].pid != 4) << i;
        EXPECT_EQ(rows[i].path, u"C:\\p.exe");
    }
}

TEST(AlarmInfoRows, RatesInBitsVolumesAndTime) {
    const auto rows = ui::AlarmInfoRows({Entry(0, u"Idle", kAlarmUnhandled, 125, 1250000)}, Running({0}));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].texts,
              (std::array<std::u16string, ui::kAlarmRowColumnCount>{
                  u"Idle", u"0", u"2.00mbps", u"96kbps", u"1.00kb", u"10.00mb", u"2014-3-5 09:07:02"}));
    EXPECT_FALSE(rows[0].hasIcon);
}

}  // namespace
