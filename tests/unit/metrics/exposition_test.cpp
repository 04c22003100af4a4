#include "metrics/exposition.h"

#include <gtest/gtest.h>

namespace metrics {
namespace {

TEST(Exposition, LabelValuesEscapeBackslashQuoteAndLineFeedOnly) {
    EXPECT_EQ(EscapeLabelValue("say \"hi\" C:\\x\n游戏.exe"), R"(say \"hi\" C:\\x\n游戏.exe)");
}

TEST(Exposition, FixedSnapshotGivesEveryFamilyWithItsTypeLine) {
    MetricsSnapshot s;
    s.machine = {10, 20};
    s.accelerated = {3, 4};
    s.unattributed = {0, 7};
    s.processes = {{"游戏\"1\".exe", {5, 6}, 2}};
    s.drops = {{"eth0", 9}};
    s.alarmEnabled = true;
    s.alarmsRaised = 1;
    s.shareThreshold = 0.3f;
    s.speedThreshold = {50000, 100000};
    s.version = "1.0.0";
    EXPECT_EQ(ExpositionText(s),
              "# HELP kvtmon_machine_bytes_total IPv4 payload bytes of the whole machine.\n"
              "# TYPE kvtmon_machine_bytes_total counter\n"
              "kvtmon_machine_bytes_total{direction=\"up\"} 10\n"
              "kvtmon_machine_bytes_total{direction=\"down\"} 20\n"
              "# HELP kvtmon_accelerated_bytes_total Payload bytes through the accelerator's interface.\n"
              "# TYPE kvtmon_accelerated_bytes_total counter\n"
              "kvtmon_accelerated_bytes_total{direction=\"up\"} 3\n"
              "kvtmon_accelerated_bytes_total{direction=\"down\"} 4\n"
              "# HELP kvtmon_unattributed_bytes_total Payload bytes no process was found for.\n"
              "# TYPE kvtmon_unattributed_bytes_total counter\n"
              "kvtmon_unattributed_bytes_total{direction=\"up\"} 0\n"
              "kvtmon_unattributed_bytes_total{direction=\"down\"} 7\n"
              "# HELP kvtmon_process_bytes_total Payload bytes by process name, exited processes included.\n"
              "# TYPE kvtmon_process_bytes_total counter\n"
              "kvtmon_process_bytes_total{process=\"游戏\\\"1\\\".exe\",direction=\"up\"} 5\n"
              "kvtmon_process_bytes_total{process=\"游戏\\\"1\\\".exe\",direction=\"down\"} 6\n"
              "# HELP kvtmon_process_connections Open local ports by process name.\n"
              "# TYPE kvtmon_process_connections gauge\n"
              "kvtmon_process_connections{process=\"游戏\\\"1\\\".exe\"} 2\n"
              "# HELP kvtmon_capture_dropped_packets_total Packets the capture dropped, by interface.\n"
              "# TYPE kvtmon_capture_dropped_packets_total counter\n"
              "kvtmon_capture_dropped_packets_total{interface=\"eth0\"} 9\n"
              "# HELP kvtmon_alarm_enabled 1 while alarm pop-ups are switched on.\n"
              "# TYPE kvtmon_alarm_enabled gauge\n"
              "kvtmon_alarm_enabled 1\n"
              "# HELP kvtmon_alarm_share_threshold_ratio Share of traffic outside the accelerator above "
              "which the alarm is raised.\n"
              "# TYPE kvtmon_alarm_share_threshold_ratio gauge\n"
              "kvtmon_alarm_share_threshold_ratio 0.3\n"
              "# HELP kvtmon_alarm_speed_threshold_bytes_per_second Machine speed above which the alarm is "
              "raised, by direction.\n"
              "# TYPE kvtmon_alarm_speed_threshold_bytes_per_second gauge\n"
              "kvtmon_alarm_speed_threshold_bytes_per_second{direction=\"up\"} 50000\n"
              "kvtmon_alarm_speed_threshold_bytes_per_second{direction=\"down\"} 100000\n"
              "# HELP kvtmon_alarms_raised_total Alarms raised since the monitor started.\n"
              "# TYPE kvtmon_alarms_raised_total counter\n"
              "kvtmon_alarms_raised_total 1\n"
              "# HELP kvtmon_build_info The monitor's version; always 1.\n"
              "# TYPE kvtmon_build_info gauge\n"
              "kvtmon_build_info{version=\"1.0.0\"} 1\n");
}

}  // namespace
}  // namespace metrics
