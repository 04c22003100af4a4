#include "plugin/console_options.h"

#include <optional>

#include "base/text.h"
#include "ipc/monitor_message.h"
#include "plugin/request_line.h"
#include "plugin/time_text.h"

namespace console {
namespace {

constexpr std::u16string_view kPipePrefix = u"\\\\.\\pipe\\";

// "--name=value" or "--name value".
class ArgCursor {
  public:
    explicit ArgCursor(std::span<const std::string> args) : args_(args) {}

    bool Done() const { return next_ >= args_.size(); }
    const std::string& Take() { return args_[next_++]; }
    std::span<const std::string> Rest() const { return args_.subspan(next_); }

    // The option's value: after '=' in the word, else the next word.
    std::optional<std::string> Value(const std::optional<std::string>& inlineValue) {
        if (inlineValue) {
            return inlineValue;
        }
        if (Done()) {
            return std::nullopt;
        }
        return Take();
    }

  private:
    std::span<const std::string> args_;
    std::size_t next_ = 0;
};

bool Seconds(const std::string& option, const std::optional<std::string>& value,
             std::chrono::milliseconds& out, std::string& error) {
    if (!value || !ParseSecondsText(*value, out)) {
        error = option + " needs a number of seconds" + (value ? ", not '" + *value + "'" : "");
        return false;
    }
    return true;
}

// "--name=value" splits at the '='; any other word is a name alone.
struct OptionWord {
    std::string name;
    std::optional<std::string> inlineValue;
};

OptionWord SplitOptionWord(const std::string& word) {
    if (const std::size_t equals = word.find('='); word.rfind("--", 0) == 0 && equals != word.npos) {
        return {word.substr(0, equals), word.substr(equals + 1)};
    }
    return {word, std::nullopt};
}

enum class OptionTaken { kTaken, kFailed, kUnknown };

OptionTaken Taken(bool ok) {
    return ok ? OptionTaken::kTaken : OptionTaken::kFailed;
}

struct FlagOption {
    std::string_view name;
    std::string_view shortName;
    bool ConsoleOptions::*target;
};

constexpr FlagOption kFlagOptions[] = {
    {"--help", "-h", &ConsoleOptions::help},   {"--version", "", &ConsoleOptions::version},
    {"--list", "", &ConsoleOptions::list},     {"--script", "", &ConsoleOptions::script},
    {"--exit", "", &ConsoleOptions::exit},     {"--echo", "", &ConsoleOptions::echo},
    {"--quiet", "-q", &ConsoleOptions::quiet},
};

// The options without a value.
OptionTaken TakeFlagOption(const OptionWord& option, ConsoleOptions& options, std::string& error) {
    bool json = false;
    bool* target = nullptr;
    if (option.name == "--json") {
        target = &json;
        options.format = OutputFormat::kJson;
    }
    for (const FlagOption& flag : kFlagOptions) {
        if (option.name == flag.name || (!flag.shortName.empty() && option.name == flag.shortName)) {
            target = &(options.*flag.target);
        }
    }
    if (target == nullptr) {
        return OptionTaken::kUnknown;
    }
    if (option.inlineValue) {
        error = option.name + " takes no value";
        return OptionTaken::kFailed;
    }
    *target = true;
    return OptionTaken::kTaken;
}

struct SecondsOption {
    std::string_view name;
    std::chrono::milliseconds ConsoleOptions::*target;
};

constexpr SecondsOption kSecondsOptions[] = {
    {"--connect-timeout", &ConsoleOptions::connectTimeout},
    {"--timeout", &ConsoleOptions::timeout},
    {"--exit-timeout", &ConsoleOptions::exitTimeout},
    {"--listen", &ConsoleOptions::listenFor},
};

// The options with a number of seconds.
OptionTaken TakeSecondsOption(const OptionWord& option, ArgCursor& cursor, ConsoleOptions& options,
                              std::string& error) {
    for (const SecondsOption& entry : kSecondsOptions) {
        if (option.name == entry.name) {
            if (option.name == "--listen") {
                options.listen = true;
            }
            return Taken(
                Seconds(option.name, cursor.Value(option.inlineValue), options.*entry.target, error));
        }
    }
    return OptionTaken::kUnknown;
}

// The options with a text, each checked for what it names.
OptionTaken TakeTextOption(const OptionWord& option, ArgCursor& cursor, ConsoleOptions& options,
                           bool& hostGiven, std::string& error) {
    const std::string& name = option.name;
    if (name != "--pipe" && name != "--launch" && name != "--host" && name != "--watch" &&
        name != "--report") {
        return OptionTaken::kUnknown;
    }
    const std::optional<std::string> value = cursor.Value(option.inlineValue);
    const auto refuse = [&error](const char* problem) {
        error = problem;
        return OptionTaken::kFailed;
    };
    if (name == "--pipe") {
        if (!value) {
            return refuse("--pipe needs a name like \\\\.\\pipe\\NAME");
        }
        options.pipeName = base::Utf8ToUtf16(*value);
        return Taken(CheckPipeName(options.pipeName, error));
    }
    if (name == "--launch") {
        if (!value || value->empty()) {
            return refuse("--launch needs the path of the monitor's program");
        }
        options.launchPath = base::Utf8ToUtf16(*value);
        return OptionTaken::kTaken;
    }
    if (name == "--host") {
        if (!value || value->empty() || value->find('\\') != value->npos) {
            return refuse("--host needs an executable file name without a backslash, like Accelerator.exe");
        }
        options.hostName = base::Utf8ToUtf16(*value);
        hostGiven = true;
        return OptionTaken::kTaken;
    }
    if (name == "--report") {
        if (!value || value->empty()) {
            return refuse("--report needs the directory to write the session's report into");
        }
        options.reportDir = base::Utf8ToUtf16(*value);
        return OptionTaken::kTaken;
    }
    if (!value || value->empty() || value->front() == ';') {
        return refuse("--watch needs the accelerated process's name, like GameClient.exe");
    }
    options.watchNames = base::Utf8ToUtf16(*value);
    return OptionTaken::kTaken;
}

std::string UnknownWordError(const std::string& word, const std::string& option) {
    if (word.rfind("-", 0) == 0) {
        return "unknown option '" + option + "'";
    }
    return "unexpected '" + word + "': requests go after --, as in: kvtmon-plugin -- " + word;
}

// What each option allows on its own may still clash with another.
bool CheckOptionsTogether(const ConsoleOptions& options, bool hostGiven, std::string& error) {
    if (hostGiven && options.launchPath.empty()) {
        error = "--host is the name the launched monitor is given: it needs --launch";
        return false;
    }
    if (!options.watchNames.empty() && (options.script || options.listen || !options.requests.empty() ||
                                        options.format == OutputFormat::kJson || options.echo)) {
        error =
            "--watch prints a view of its own: it takes no requests, --script, --listen, --json or --echo";
        return false;
    }
    return true;
}

}  // namespace

bool CheckPipeName(std::u16string_view name, std::string& error) {
    bool ok = name.size() > kPipePrefix.size();
    for (std::size_t i = 0; ok && i < kPipePrefix.size(); ++i) {
        char16_t c = name[i];
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
        ok = c == kPipePrefix[i];
    }
    const std::u16string_view rest = ok ? name.substr(kPipePrefix.size()) : std::u16string_view();
    ok = ok && rest.find_first_of(u"\\/") == rest.npos && rest.find(u'\0') == rest.npos && rest != u"." &&
         rest != u"..";
    if (!ok) {
        error = "pipe name must look like \\\\.\\pipe\\NAME (NAME without \\ or /), not '" +
                base::Utf16ToUtf8(name) + "'";
    }
    return ok;
}

std::u16string DefaultPipeName(std::uint32_t pid) {
    return std::u16string(kPipePrefix) + u"kvtmon-plugin-" + base::AsciiToUtf16(std::to_string(pid));
}

bool ParseConsoleOptions(std::span<const std::string> args, ConsoleOptions& options, std::string& error) {
    options = ConsoleOptions{};
    ArgCursor cursor(args);
    bool hostGiven = false;
    while (!cursor.Done()) {
        const std::string word = cursor.Take();
        if (word == "--") {
            if (!GroupRequestWords(cursor.Rest(), options.requests, error)) {
                return false;
            }
            break;
        }
        const OptionWord option = SplitOptionWord(word);
        OptionTaken taken = TakeFlagOption(option, options, error);
        if (taken == OptionTaken::kUnknown) {
            taken = TakeSecondsOption(option, cursor, options, error);
        }
        if (taken == OptionTaken::kUnknown) {
            taken = TakeTextOption(option, cursor, options, hostGiven, error);
        }
        if (taken == OptionTaken::kUnknown) {
            error = UnknownWordError(word, option.name);
        }
        if (taken != OptionTaken::kTaken) {
            return false;
        }
    }
    return CheckOptionsTogether(options, hostGiven, error);
}

std::string_view ConsoleVersion() {
    return KVT_VERSION;
}

std::string ConsoleHelpText() {
    return R"(kvtmon-plugin: the plugin's end of the monitor's pipe, for tests, demos and integrators.

Usage: kvtmon-plugin [OPTIONS] [-- REQUEST [NAME=VALUE]... [REQUEST [NAME=VALUE]...]...]

Creates the pipe, optionally starts the monitor on it, waits for the monitor to connect, sends the
requests in order and prints every answer and push that arrives, one line each with its local time
of arrival ("<" arrived, ">" sent). Notes and errors go to standard error.

Options:
  --pipe \\.\pipe\NAME     the pipe to create (default \\.\pipe\kvtmon-plugin-PID)
  --launch PATH            start the monitor at PATH with the command line "HOST PIPE"
  --host NAME              the accelerator's executable name given to the monitor (default Accelerator.exe)
  --connect-timeout SECS   how long to wait for the monitor to connect (default 10)
  --timeout SECS           how long to wait for answers, and for wait-for without its own (default 10)
  --script                 read requests from standard input, one per line (see Scripts)
  --listen SECS            after the requests, keep printing pushes for SECS (0: until Ctrl-C)
  --watch NAME             name NAME as the accelerated process (several: a.exe;b.exe) and print the
                           totals with their rates every second and the process list every minute;
                           Ctrl-C ends the monitor (see Watching)
  --report DIR             when the session ends write report.csv, report.json (each process's pids,
                           times, bytes and peak rates; the totals; the alarms raised, which the
                           console subscribes to) and rates.png (gnuplot) into DIR
  --exit                   at the end send ExitMonitor and wait for the monitor to end
  --exit-timeout SECS      how long to wait for the monitor to end (default 10)
  --json                   print JSON lines instead of text
  --echo                   also print each request as it is sent
  --quiet, -q              no notes on standard error, only errors
  --list                   list the requests with their arguments, and the pushes
  --help, -h               this text
  --version                the program's version

Requests: a request's name (or id) and one NAME=VALUE word per field; --list shows them all.
Numbers are decimal or 0x hex; TEXT is UTF-8; TIME is YYYY-MM-DDTHH:MM:SS[.mmm] in local time, or
now, now-N, now+N with N in seconds or with a unit (now-90, now-15m, now-2h, now-1d). In scripts a
value with blanks goes in double quotes: name="My Game.exe".

Scripts (--script): one request per line; blank lines and lines starting with # are skipped, and
  wait SECONDS                   waits that long
  wait-for MESSAGE [SECONDS]     waits for a message of that name or id (a request's name means its
                                 answer); each message counts once, also if it came before the line
  raw HEX...                     sends these bytes as they are (two hex digits a byte, blanks
                                 anywhere between bytes), for messages the monitor must refuse
  pause-reading                  stops taking the monitor's messages off the pipe, as a plugin that
                                 hangs would; answers due until resume-reading are not waited for
  resume-reading                 takes them again
Requests are sent without waiting; at the end of the requests the console waits for every answer
still due.

Watching (--watch): waits for the monitor's start result, sends SetAccelerateProcess with the names,
then prints a block each second: the machine's ("local") and the accelerated totals received and
sent, each with its rate since the previous second, and each minute the process list the monitor
pushed. Ctrl-C sends ExitMonitor and waits for the monitor to end. A launched monitor that cannot
start is reported with the end of its traffic log (traffic.log beside it).

Exit codes: 0 done, 1 runtime failure (no pipe, no monitor, an answer missing), 2 usage error.

Examples:
  kvtmon-plugin --launch ./kvtmon -- GetLocalDownReflux GetAccelerateTotalReflux
  kvtmon-plugin --pipe \\.\pipe\acc1 --json -- SetAccelerateProcess names="GameClient.exe|b.exe" sep="|"
  kvtmon-plugin -- GetProcessDownRefluxBetweenTimeByName name=GameClient.exe from=now-1h to=now
  kvtmon-plugin --launch ./kvtmon --listen 0 --exit          (print pushes until Ctrl-C, then end the monitor)
  kvtmon-plugin --launch ./kvtmon --watch GameClient.exe     (the totals and rates as they come)
  printf 'StopAlarm stop=1\nwait-for StopAlarmResponse\nwait 2\n' | kvtmon-plugin --script --launch ./kvtmon --exit
)";
}

std::string RequestListText() {
    std::string text = "Requests (id, name and arguments -> answer):\n";
    for (const ipc::RequestInfo& info : ipc::RequestTable()) {
        std::string line = "  " + std::to_string(info.id) + (info.id < 10 ? "   " : "  ") + info.name;
        const std::string usage = RequestUsage(info);
        if (!usage.empty()) {
            line += " " + usage;
        }
        if (const ipc::MonitorMessageInfo* answer = ipc::FindMonitorMessage(info.answerId);
            info.answerId != 0 && answer != nullptr) {
            line += "  -> " + std::string(answer->name) + " (" + std::to_string(answer->id) + ")";
        }
        text += line + "\n";
    }
    text += "Messages the monitor sends unasked:\n  StartResponse (2) once it has started\n";
    for (const ipc::MonitorMessageInfo& info : ipc::MonitorMessageTable()) {
        if (info.push) {
            text += "  " + std::string(info.name) + " (" + std::to_string(info.id) + ")\n";
        }
    }
    return text;
}

}  // namespace console
