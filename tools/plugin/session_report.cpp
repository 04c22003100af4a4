#include "plugin/session_report.h"

#include <algorithm>
#include <variant>

#include "base/text.h"
#include "ipc/command_ids.h"
#include "ipc/message_text.h"

namespace console {
namespace {

// Bytes a second from two figures `ms` apart; a figure that went down counts as no traffic.
std::uint64_t Rate(std::uint64_t now, std::uint64_t before, std::int64_t ms) {
    if (ms <= 0 || now <= before) {
        return 0;
    }
    return static_cast<std::uint64_t>(static_cast<double>(now - before) * 1000.0 / static_cast<double>(ms) +
                                      0.5);
}

std::string TimeOrEmpty(const base::SystemTime& time) {
    return time.IsEmpty() ? std::string() : ipc::FormatTimeText(time);
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + "\"";
}

std::string PidList(const std::vector<std::uint32_t>& pids, const char* separator) {
    std::string text;
    for (std::uint32_t pid : pids) {
        text += (text.empty() ? "" : separator) + std::to_string(pid);
    }
    return text;
}

std::string TotalCsvRow(const char* name, const ReportTotal& t) {
    return std::string(name) + "," + std::to_string(t.bytesUp) + "," + std::to_string(t.bytesDown) + "," +
           std::to_string(t.peakUp) + "," + std::to_string(t.peakDown) + "\n";
}

std::string TotalJson(const ReportTotal& t) {
    return "{\"bytes_up\":" + std::to_string(t.bytesUp) + ",\"bytes_down\":" + std::to_string(t.bytesDown) +
           ",\"peak_up_bps\":" + std::to_string(t.peakUp) +
           ",\"peak_down_bps\":" + std::to_string(t.peakDown) + "}";
}

std::string JsonTime(const base::SystemTime& time) {
    return time.IsEmpty() ? "null" : ipc::JsonQuote(ipc::FormatTimeText(time));
}

// The machine's totals only on the record that carries them.
std::string AlarmJson(const ReportAlarm& a) {
    std::string json = "{\"time\":" + JsonTime(a.time) + ",\"pid\":" + std::to_string(a.pid) +
                       ",\"name\":" + ipc::JsonQuote(a.name) + ",\"bytes_up\":" + std::to_string(a.bytesUp) +
                       ",\"bytes_down\":" + std::to_string(a.bytesDown) +
                       ",\"machine\":" + (a.machine ? "true" : "false");
    if (a.machine) {
        json += ",\"non_accelerated_total\":" + std::to_string(a.nonAcceleratedTotal) +
                ",\"local_total\":" + std::to_string(a.localTotal);
    }
    return json + "}";
}

// gnuplot reads a single-quoted string as it is, but for '' standing for one quote.
std::string GnuplotQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("''") : std::string(1, c);
    }
    return quoted + "'";
}

// "2026-12-06T10:00:00": one word, as the data's columns are split at blanks.
std::string PlotTime(const base::SystemTime& t) {
    std::string text = ipc::FormatTimeText(t).substr(0, 19);
    text[10] = 'T';
    return text;
}

std::string DataBlock(const std::string& name, const std::vector<RateSample>& samples) {
    std::string block = name + " << EOD\n";
    for (const RateSample& s : samples) {
        block += PlotTime(s.at) + " " + std::to_string(s.up + s.down) + "\n";
    }
    return block + "EOD\n";
}

}  // namespace

void SessionReport::OnMessage(const ipc::ParsedMonitorMessage& message, std::int64_t steadyMs,
                              const base::SystemTime& at) {
    if (!message.Ok()) {
        return;
    }
    if (first_.IsEmpty()) {
        first_ = at;
    }
    last_ = at;
    if (const auto* entry = std::get_if<ipc::ProcessListEntry>(&message.fields)) {
        OnProcess(*entry, steadyMs, at);
    } else if (const auto* bytes = std::get_if<ipc::BytesAnswer>(&message.fields)) {
        OnTotals(message.id, bytes->bytes, steadyMs, at);
    } else if (const auto* alarm = std::get_if<ipc::AlarmRecordPush>(&message.fields)) {
        alarms_.push_back({alarm->time, alarm->pid, base::Utf16ToUtf8(alarm->name), alarm->bytesUp,
                           alarm->bytesDown, alarm->machine == 1, alarm->nonAcceleratedTotal,
                           alarm->localTotal});
    }
}

std::size_t SessionReport::AlarmsNaming(const std::string& name) const {
    return static_cast<std::size_t>(
        std::count_if(alarms_.begin(), alarms_.end(), [&](const ReportAlarm& a) { return a.name == name; }));
}

void SessionReport::OnProcess(const ipc::ProcessListEntry& entry, std::int64_t steadyMs,
                              const base::SystemTime& at) {
    // Every figure of one list counts as of the list's start: the rates of a list share one interval.
    if (entry.sequence == 1 || round_ == 0) {
        ++round_;
        roundMs_ = steadyMs;
        roundAt_ = at;
    }
    const std::string name = base::Utf16ToUtf8(entry.name);
    Name& n = names_[name];
    if (n.row.name.empty()) {
        n.row.name = name;
        n.row.firstSeen = at;
    }
    n.row.lastSeen = at;
    n.lastRound = round_;
    if (std::find(n.row.pids.begin(), n.row.pids.end(), entry.pid) == n.row.pids.end()) {
        n.row.pids.push_back(entry.pid);
    }
    const base::SystemTime& s = entry.startTime;
    const ProcessKey key{entry.pid, s.year, s.month, s.day, s.hour, s.minute, s.second, s.milliseconds};
    Figures& f = n.processes[key];
    if (f.round != 0 && f.round < round_) {
        const std::int64_t ms = roundMs_ - f.roundMs;
        if (n.lastRateRound != round_) {
            n.row.rates.push_back({roundAt_, 0, 0});
            n.lastRateRound = round_;
        }
        // Several pids of one name in one list add up to the name's rate.
        RateSample& sample = n.row.rates.back();
        sample.up += Rate(entry.bytesUp, f.up, ms);
        sample.down += Rate(entry.bytesDown, f.down, ms);
        n.row.peakUp = std::max(n.row.peakUp, sample.up);
        n.row.peakDown = std::max(n.row.peakDown, sample.down);
    }
    f = {entry.bytesUp, entry.bytesDown, roundMs_, round_, entry.state};
}

void SessionReport::OnTotals(std::uint32_t id, std::uint64_t bytes, std::int64_t steadyMs,
                             const base::SystemTime& at) {
    int slot = -1;
    switch (id) {
        case ipc::cmd::kPostLocalDownReflux:
            slot = 0;
            break;
        case ipc::cmd::kPostLocalUpReflux:
            slot = 1;
            break;
        case ipc::cmd::kPostAccelerateDownReflux:
            slot = 2;
            break;
        case ipc::cmd::kPostAccelerateUpReflux:
            slot = 3;
            break;
        default:
            return;
    }
    current_[slot] = bytes;
    totals_[slot / 2].bytesDown = current_[slot / 2 * 2];
    totals_[slot / 2].bytesUp = current_[slot / 2 * 2 + 1];
    // The accelerated up total ends each round of four.
    if (slot != 3) {
        return;
    }
    if (previousMs_) {
        const std::int64_t ms = steadyMs - *previousMs_;
        std::uint64_t rates[4];
        for (int i = 0; i < 4; ++i) {
            rates[i] = Rate(current_[i], previous_[i], ms);
        }
        for (int t = 0; t < 2; ++t) {
            totals_[t].peakDown = std::max(totals_[t].peakDown, rates[t * 2]);
            totals_[t].peakUp = std::max(totals_[t].peakUp, rates[t * 2 + 1]);
        }
        machineRates_.push_back({at, rates[1], rates[0]});
    }
    std::copy(std::begin(current_), std::end(current_), std::begin(previous_));
    previousMs_ = steadyMs;
}

std::vector<ReportProcess> SessionReport::Processes() const {
    std::vector<ReportProcess> rows;
    for (const auto& [name, n] : names_) {
        ReportProcess row = n.row;
        bool allExited = true;
        for (const auto& [key, f] : n.processes) {
            row.bytesUp += f.up;
            row.bytesDown += f.down;
            allExited = allExited && f.state == 1;
        }
        row.exited = allExited || n.lastRound < round_;
        rows.push_back(std::move(row));
    }
    std::stable_sort(rows.begin(), rows.end(), [](const ReportProcess& a, const ReportProcess& b) {
        return a.bytesUp + a.bytesDown > b.bytesUp + b.bytesDown;
    });
    return rows;
}

std::string RenderReportCsv(const SessionReport& report) {
    std::string csv =
        "name,pids,first_seen,last_seen,bytes_up,bytes_down,peak_up_bps,peak_down_bps,exited,alarms\n";
    for (const ReportProcess& p : report.Processes()) {
        csv += CsvField(p.name) + "," + PidList(p.pids, " ") + "," + TimeOrEmpty(p.firstSeen) + "," +
               TimeOrEmpty(p.lastSeen) + "," + std::to_string(p.bytesUp) + "," + std::to_string(p.bytesDown) +
               "," + std::to_string(p.peakUp) + "," + std::to_string(p.peakDown) + "," +
               (p.exited ? "yes" : "no") + "," + std::to_string(report.AlarmsNaming(p.name)) + "\n";
    }
    csv += "\ntotal,bytes_up,bytes_down,peak_up_bps,peak_down_bps\n";
    csv += TotalCsvRow("machine", report.Machine());
    csv += TotalCsvRow("accelerated", report.Accelerated());
    return csv;
}

std::string RenderReportJson(const SessionReport& report) {
    std::string json = "{\n  \"first_message\": " + JsonTime(report.FirstMessage()) +
                       ",\n  \"last_message\": " + JsonTime(report.LastMessage()) + ",\n  \"processes\": [";
    const std::vector<ReportProcess> rows = report.Processes();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ReportProcess& p = rows[i];
        json += std::string(i == 0 ? "" : ",") + "\n    {\"name\":" + ipc::JsonQuote(p.name) + ",\"pids\":[" +
                PidList(p.pids, ",") + "],\"first_seen\":" + JsonTime(p.firstSeen) +
                ",\"last_seen\":" + JsonTime(p.lastSeen) + ",\"bytes_up\":" + std::to_string(p.bytesUp) +
                ",\"bytes_down\":" + std::to_string(p.bytesDown) +
                ",\"peak_up_bps\":" + std::to_string(p.peakUp) +
                ",\"peak_down_bps\":" + std::to_string(p.peakDown) +
                ",\"exited\":" + (p.exited ? "true" : "false") + "}";
    }
    json += rows.empty() ? "],\n" : "\n  ],\n";
    const std::vector<ReportAlarm>& alarms = report.Alarms();
    json += "  \"alarm_count\": " + std::to_string(alarms.size()) + ",\n  \"alarms\": [";
    for (std::size_t i = 0; i < alarms.size(); ++i) {
        json += std::string(i == 0 ? "" : ",") + "\n    " + AlarmJson(alarms[i]);
    }
    json += alarms.empty() ? "],\n" : "\n  ],\n";
    json += "  \"totals\": {\"machine\": " + TotalJson(report.Machine()) +
            ", \"accelerated\": " + TotalJson(report.Accelerated()) + "}\n}\n";
    return json;
}

std::string RenderRatesPlot(const SessionReport& report, const std::string& pngPath, std::size_t top) {
    std::string data;
    std::string plot;
    const auto add = [&](const std::string& block, const std::vector<RateSample>& samples,
                         const std::string& title, const std::string& style) {
        data += DataBlock(block, samples);
        plot += std::string(plot.empty() ? "plot " : ", \\\n     ") + block + " using 1:2 " + style +
                " title " + GnuplotQuote(title);
    };
    // The machine's line first, under the processes'.
    if (!report.MachineRates().empty()) {
        add("$machine", report.MachineRates(), "machine, all traffic (every second)",
            "with lines lw 1 lc rgb '#c0c0c0'");
    }
    std::size_t drawn = 0;
    for (const ReportProcess& p : report.Processes()) {
        if (drawn == top) {
            break;
        }
        if (!p.rates.empty() && p.bytesUp + p.bytesDown > 0) {
            add("$p" + std::to_string(drawn++), p.rates, p.name, "with linespoints lw 2 pt 7");
        }
    }
    if (drawn == 0 && report.MachineRates().empty()) {
        return {};
    }
    // pngcairo draws the Chinese names with a font that has them; the plain png terminal is the fallback.
    return "set encoding utf8\n"
           "if (strstrt(GPVAL_TERMINALS, 'pngcairo') > 0) {\n"
           "  set terminal pngcairo noenhanced size 1200,700 font 'WenQuanYi Micro Hei,11'\n"
           "} else {\n"
           "  set terminal png noenhanced size 1200,700\n"
           "}\n"
           "set output " +
           GnuplotQuote(pngPath) +
           "\n"
           "set title 'Traffic rate (down + up) of the processes with most bytes'\n"
           "set xdata time\n"
           "set timefmt '%Y-%m-%dT%H:%M:%S'\n"
           "set format x '%H:%M:%S'\n"
           "set xlabel 'local time'\n"
           "set ylabel 'rate (bytes/s)'\n"
           "set format y '%.1s %cB/s'\n"
           "set yrange [0:*]\n"
           "set grid\n"
           "set key below\n" +
           data + plot + "\n";
}

}  // namespace console
