#include "plugin/report_files.h"

#include <chrono>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "base/file.h"
#include "base/module_path.h"
#include "base/text.h"
#include "plugin/plugin_console.h"

namespace console {
namespace {

std::u16string InDir(const std::u16string& dir, std::u16string_view name) {
    if (!dir.empty() && dir.back() != u'/' && dir.back() != base::kPathSeparator) {
        return dir + base::kPathSeparator + std::u16string(name);
    }
    return dir + std::u16string(name);
}

}  // namespace

bool CheckReportDir(const std::u16string& dir, std::string& error) {
    const std::string shown = "--report: the directory '" + base::Utf16ToUtf8(dir) + "' ";
    std::error_code ec;
    if (!std::filesystem::is_directory(std::filesystem::path(dir), ec)) {
        error = shown + (std::filesystem::exists(std::filesystem::path(dir), ec) ? "is not a directory"
                                                                                 : "does not exist");
        return false;
    }
    // Permissions do not tell it all (a read-only mount, an ACL): a file written and removed does.
    const std::u16string probe = InDir(dir, u".kvtmon-report-probe");
    if (!base::WriteWholeFile(probe, "")) {
        error = shown + "cannot be written to";
        return false;
    }
    std::filesystem::remove(std::filesystem::path(probe), ec);
    return true;
}

ReportOutcome WriteSessionReport(const SessionReport& report, const std::u16string& dir) {
    ReportOutcome outcome;
    std::vector<std::string> written;
    for (const auto& [name, text] :
         {std::pair<std::u16string, std::string>{u"report.csv", RenderReportCsv(report)},
          {u"report.json", RenderReportJson(report)}}) {
        const std::u16string path = InDir(dir, name);
        if (base::WriteWholeFile(path, text)) {
            written.push_back(base::Utf16ToUtf8(name));
        } else {
            outcome.errors.push_back("could not write " + base::Utf16ToUtf8(path));
        }
    }
    const std::u16string png = InDir(dir, u"rates.png");
    const std::string script = RenderRatesPlot(report, base::Utf16ToUtf8(png));
    if (script.empty()) {
        outcome.notes.push_back("rates.png left out: no rates yet (the process list comes once a minute)");
    } else {
        std::error_code ec;
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        const std::filesystem::path scriptPath =
            std::filesystem::temp_directory_path(ec) / ("kvtmon-report-" + std::to_string(stamp) + ".gp");
        bool missing = false;
        std::string error;
        if (ec || !base::WriteWholeFile(scriptPath.u16string(), script)) {
            outcome.errors.push_back("could not write the chart's gnuplot script in the temporary directory");
        } else if (RunGnuplot(scriptPath.u16string(), missing, error)) {
            written.push_back("rates.png");
        } else if (missing) {
            outcome.notes.push_back("rates.png skipped: gnuplot was not found (install it to get the chart)");
        } else {
            outcome.errors.push_back("rates.png: " + error);
        }
        std::filesystem::remove(scriptPath, ec);
    }
    if (!written.empty()) {
        std::string list;
        for (const std::string& name : written) {
            list += (list.empty() ? "" : ", ") + name;
        }
        outcome.notes.push_back("report written to " + base::Utf16ToUtf8(dir) + ": " + list);
    }
    return outcome;
}

int WriteReportAndSay(const ReportRecorder& recorder, const ConsoleOptions& options, std::ostream& err,
                      int exitCode) {
    const ReportOutcome outcome = WriteSessionReport(recorder.Report(), options.reportDir);
    for (const std::string& note : outcome.notes) {
        if (!options.quiet) {
            err << "kvtmon-plugin: " << note << "\n";
        }
    }
    for (const std::string& error : outcome.errors) {
        err << "kvtmon-plugin: " << error << "\n";
    }
    err << std::flush;
    return outcome.errors.empty() ? exitCode : kExitFailure;
}

}  // namespace console
