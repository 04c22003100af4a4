#pragma once

// kvtmon-plugin --report: what a session's pushes add up to, per process name and for the machine's and
// the accelerated totals, and the texts written at the session's end (CSV, JSON, a gnuplot script).
// Pure: the console hands in each message with the moment it arrived; the files are report_files'.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "base/system_time.h"
#include "ipc/monitor_message.h"

namespace console {

// Rates in bytes a second, at the arrival of the figures they end with.
struct RateSample {
    base::SystemTime at;
    std::uint64_t up = 0;
    std::uint64_t down = 0;
};

struct ReportProcess {
    std::string name;                 // UTF-8
    std::vector<std::uint32_t> pids;  // in the order first listed
    base::SystemTime firstSeen;       // arrival of the first and the last process list naming it
    base::SystemTime lastSeen;
    std::uint64_t bytesUp = 0;  // the last figures of each of its processes, added up
    std::uint64_t bytesDown = 0;
    std::uint64_t peakUp = 0;  // the highest rate between two lists, all its pids together
    std::uint64_t peakDown = 0;
    bool exited = false;  // every process of the name exited, or the last list no longer names it
    std::vector<RateSample> rates;
};

// One record of a raised alarm, as the monitor pushed it.
struct ReportAlarm {
    base::SystemTime time;  // the tick that listed the process
    std::uint32_t pid = 0;
    std::string name;  // UTF-8
    std::uint64_t bytesUp = 0;
    std::uint64_t bytesDown = 0;
    bool machine = false;  // it carries the machine's totals below
    std::uint64_t nonAcceleratedTotal = 0;
    std::uint64_t localTotal = 0;
};

struct ReportTotal {
    std::uint64_t bytesUp = 0;
    std::uint64_t bytesDown = 0;
    std::uint64_t peakUp = 0;
    std::uint64_t peakDown = 0;
};

class SessionReport {
  public:
    // One message from the monitor, its arrival in steady milliseconds (for the rates) and local time.
    void OnMessage(const ipc::ParsedMonitorMessage& message, std::int64_t steadyMs,
                   const base::SystemTime& at);

    // Most bytes (up and down) first; equal ones by name.
    std::vector<ReportProcess> Processes() const;
    const ReportTotal& Machine() const { return totals_[0]; }
    const ReportTotal& Accelerated() const { return totals_[1]; }
    // The machine's rates, once a second.
    const std::vector<RateSample>& MachineRates() const { return machineRates_; }
    // The alarms raised, in order of arrival (pushed only to a console that subscribed).
    const std::vector<ReportAlarm>& Alarms() const { return alarms_; }
    // How many of them named the process.
    std::size_t AlarmsNaming(const std::string& name) const;
    // Arrival of the first and the last message; empty without any.
    const base::SystemTime& FirstMessage() const { return first_; }
    const base::SystemTime& LastMessage() const { return last_; }

  private:
    // A process is its pid and start time: a pid may be used again.
    using ProcessKey = std::tuple<std::uint32_t, std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t,
                                  std::uint16_t, std::uint16_t, std::uint16_t>;
    struct Figures {
        std::uint64_t up = 0;
        std::uint64_t down = 0;
        std::int64_t roundMs = 0;
        int round = 0;
        std::uint32_t state = 2;
    };
    struct Name {
        ReportProcess row;
        std::map<ProcessKey, Figures> processes;
        int lastRound = 0;
        int lastRateRound = 0;
    };

    void OnProcess(const ipc::ProcessListEntry& entry, std::int64_t steadyMs, const base::SystemTime& at);
    void OnTotals(std::uint32_t id, std::uint64_t bytes, std::int64_t steadyMs, const base::SystemTime& at);

    std::map<std::string, Name> names_;
    int round_ = 0;  // process lists begun, each with sequence 1
    std::int64_t roundMs_ = 0;
    base::SystemTime roundAt_;

    ReportTotal totals_[2];          // machine, accelerated
    std::uint64_t current_[4] = {};  // local down, local up, accelerated down, accelerated up
    std::uint64_t previous_[4] = {};
    std::optional<std::int64_t> previousMs_;
    std::vector<RateSample> machineRates_;
    std::vector<ReportAlarm> alarms_;
    base::SystemTime first_;
    base::SystemTime last_;
};

// One header line and a row per process (its last column the alarms naming it); after a blank line a second
// header and the rows "machine" and "accelerated".
std::string RenderReportCsv(const SessionReport& report);
std::string RenderReportJson(const SessionReport& report);
// A gnuplot script drawing the rates of the `top` processes with most bytes (and the machine's) into
// pngPath (UTF-8); empty when there is no rate to draw yet.
std::string RenderRatesPlot(const SessionReport& report, const std::string& pngPath, std::size_t top = 5);

}  // namespace console
