#include "metrics/exposition.h"

#include <charconv>
#include <string>

namespace metrics {
namespace {

void Family(std::string& out, std::string_view name, std::string_view type, std::string_view help) {
    out.append("# HELP ").append(name).append(" ").append(help).append("\n");
    out.append("# TYPE ").append(name).append(" ").append(type).append("\n");
}

// `labels` is the inside of the braces, already escaped; empty for none.
void Sample(std::string& out, std::string_view name, const std::string& labels, std::uint64_t value) {
    out.append(name);
    if (!labels.empty()) {
        out.append("{").append(labels).append("}");
    }
    out.append(" ").append(std::to_string(value)).append("\n");
}

std::string Label(std::string_view key, std::string_view value) {
    return std::string(key) + "=\"" + EscapeLabelValue(value) + "\"";
}

void Directions(std::string& out, std::string_view name, const std::string& labels, const ByteCounts& bytes) {
    const std::string prefix = labels.empty() ? std::string() : labels + ",";
    Sample(out, name, prefix + Label("direction", "up"), bytes.up);
    Sample(out, name, prefix + Label("direction", "down"), bytes.down);
}

// The shortest text that reads back as the same float ("0.3", not "0.300000012").
std::string FloatText(float value) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : "NaN";
}

}  // namespace

std::string EscapeLabelValue(std::string_view value) {
    std::string escaped;
    escaped.reserve(value.size());
    for (const char c : value) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '"':
                escaped += "\\\"";
                break;
            case '\n':
                escaped += "\\n";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string ExpositionText(const MetricsSnapshot& s) {
    std::string out;
    Family(out, "kvtmon_machine_bytes_total", "counter", "IPv4 payload bytes of the whole machine.");
    Directions(out, "kvtmon_machine_bytes_total", {}, s.machine);
    Family(out, "kvtmon_accelerated_bytes_total", "counter",
           "Payload bytes through the accelerator's interface.");
    Directions(out, "kvtmon_accelerated_bytes_total", {}, s.accelerated);
    Family(out, "kvtmon_unattributed_bytes_total", "counter", "Payload bytes no process was found for.");
    Directions(out, "kvtmon_unattributed_bytes_total", {}, s.unattributed);

    Family(out, "kvtmon_process_bytes_total", "counter",
           "Payload bytes by process name, exited processes included.");
    for (const ProcessFigures& p : s.processes) {
        Directions(out, "kvtmon_process_bytes_total", Label("process", p.name), p.bytes);
    }
    Family(out, "kvtmon_process_connections", "gauge", "Open local ports by process name.");
    for (const ProcessFigures& p : s.processes) {
        Sample(out, "kvtmon_process_connections", Label("process", p.name), p.connections);
    }

    Family(out, "kvtmon_capture_dropped_packets_total", "counter",
           "Packets the capture dropped, by interface.");
    for (const InterfaceDrops& d : s.drops) {
        Sample(out, "kvtmon_capture_dropped_packets_total", Label("interface", d.name), d.packets);
    }

    Family(out, "kvtmon_alarm_enabled", "gauge", "1 while alarm pop-ups are switched on.");
    Sample(out, "kvtmon_alarm_enabled", {}, s.alarmEnabled ? 1 : 0);
    Family(out, "kvtmon_alarm_share_threshold_ratio", "gauge",
           "Share of traffic outside the accelerator above which the alarm is raised.");
    out.append("kvtmon_alarm_share_threshold_ratio ").append(FloatText(s.shareThreshold)).append("\n");
    Family(out, "kvtmon_alarm_speed_threshold_bytes_per_second", "gauge",
           "Machine speed above which the alarm is raised, by direction.");
    Directions(out, "kvtmon_alarm_speed_threshold_bytes_per_second", {}, s.speedThreshold);
    Family(out, "kvtmon_alarms_raised_total", "counter", "Alarms raised since the monitor started.");
    Sample(out, "kvtmon_alarms_raised_total", {}, s.alarmsRaised);
    Family(out, "kvtmon_build_info", "gauge", "The monitor's version; always 1.");
    Sample(out, "kvtmon_build_info", Label("version", s.version), 1);
    return out;
}

}  // namespace metrics
