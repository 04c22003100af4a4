#pragma once

// kvtmon-plugin --report DIR: the directory checked before the session, the session's messages
// collected while it runs, and report.csv, report.json and rates.png written at its end.

#include <cstdint>
#include <iosfwd>
#include <mutex>
#include <string>
#include <vector>

#include "base/system_time.h"
#include "ipc/monitor_message.h"
#include "plugin/console_options.h"
#include "plugin/session_report.h"

namespace console {

// True when DIR is a directory a file can be written into; else false with an error naming it.
bool CheckReportDir(const std::u16string& dir, std::string& error);

// What writing the report came to, one line each.
struct ReportOutcome {
    std::vector<std::string> notes;
    std::vector<std::string> errors;
};

// Writes report.csv and report.json, then rates.png through gnuplot (skipped with a note when there
// is no gnuplot, or nothing to draw yet).
ReportOutcome WriteSessionReport(const SessionReport& report, const std::u16string& dir);

// Runs gnuplot on the script. False with an error; `missing` tells that no gnuplot was found.
bool RunGnuplot(const std::u16string& scriptPath, bool& missing, std::string& error);

// The report of a session whose messages arrive on the pipe's reader thread.
class ReportRecorder {
  public:
    void OnMessage(const ipc::ParsedMonitorMessage& message, std::int64_t steadyMs,
                   const base::SystemTime& at) {
        std::lock_guard<std::mutex> lock(mutex_);
        report_.OnMessage(message, steadyMs, at);
    }
    SessionReport Report() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return report_;
    }

  private:
    mutable std::mutex mutex_;
    SessionReport report_;
};

// Writes the recorded report into options.reportDir and says what came of it on err (notes unless
// --quiet). Returns exitCode, or kExitFailure when a file could not be made.
int WriteReportAndSay(const ReportRecorder& recorder, const ConsoleOptions& options, std::ostream& err,
                      int exitCode);

}  // namespace console
