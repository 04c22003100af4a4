#include "plugin/watch_view.h"

#include <algorithm>
#include <variant>

#include "base/text.h"
#include "format/figure_compare.h"
#include "format/value_format.h"
#include "ipc/command_ids.h"

namespace console {
namespace {

std::string Utf8(const std::u16string& text) {
    return base::Utf16ToUtf8(text);
}

std::string PadRight(std::string text, std::size_t width) {
    if (text.size() < width) {
        text.append(width - text.size(), ' ');
    }
    return text;
}

std::string PadLeft(const std::string& text, std::size_t width) {
    return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

// "12.50mb at 1.00mbps (1562500 B)"; the rate is "-" until there is an earlier round.
std::string Figure(std::uint64_t bytes, const std::string& rate) {
    return PadLeft(Utf8(format::FormatVolumeTb(bytes)), 9) + " at " + PadRight(rate, 11) + " (" +
           std::to_string(bytes) + " B)";
}

std::string StateText(std::uint32_t state) {
    return state == 2 ? "running" : state == 1 ? "exited" : "state " + std::to_string(state);
}

int TotalsSlot(std::uint32_t id) {
    switch (id) {
        case ipc::cmd::kPostLocalDownReflux:
            return 0;
        case ipc::cmd::kPostLocalUpReflux:
            return 1;
        case ipc::cmd::kPostAccelerateDownReflux:
            return 2;
        case ipc::cmd::kPostAccelerateUpReflux:
            return 3;
        default:
            return -1;
    }
}

}  // namespace

std::string WatchView::OnMessage(const ipc::ParsedMonitorMessage& message, std::int64_t steadyMs,
                                 const base::SystemTime& at) {
    if (!message.Ok()) {
        return {};
    }
    if (const auto* entry = std::get_if<ipc::ProcessListEntry>(&message.fields)) {
        // Each round starts with sequence 1; a round is printed with the next totals.
        if (entry->sequence == 1) {
            processes_.clear();
            roundMs_ = steadyMs;
        }
        processes_.push_back(*entry);
        processesPending_ = true;
        return {};
    }
    const int slot = TotalsSlot(message.id);
    const auto* bytes = std::get_if<ipc::BytesAnswer>(&message.fields);
    if (message.id == ipc::cmd::kGetUnattributedRefluxResponse && bytes != nullptr) {
        unattributed_ = bytes->bytes;
        haveUnattributed_ = true;
        return {};
    }
    if (slot < 0 || bytes == nullptr) {
        return {};
    }
    current_.bytes[slot] = bytes->bytes;
    // The accelerated up total ends each round of four.
    if (message.id != ipc::cmd::kPostAccelerateUpReflux) {
        return {};
    }
    current_.steadyMs = steadyMs;
    std::string text = TotalsBlock(at);
    previous_ = current_;
    havePrevious_ = true;
    if (processesPending_) {
        text += ProcessBlock(at);
        processesPending_ = false;
    }
    return text;
}

std::string WatchView::TotalsBlock(const base::SystemTime& at) const {
    // Pushes come about a second apart; the rate is over the whole seconds between two rounds.
    const std::int64_t seconds =
        havePrevious_ ? std::max<std::int64_t>(1, (current_.steadyMs - previous_.steadyMs + 500) / 1000) : 0;
    const auto figure = [&](int slot) {
        std::string rate = "-";
        if (havePrevious_) {
            const auto delta = static_cast<std::int64_t>(current_.bytes[slot] - previous_.bytes[slot]);
            rate = Utf8(format::FormatRateSeconds(delta, seconds));
        }
        return Figure(current_.bytes[slot], rate);
    };
    const std::string stamp = Utf8(format::FormatClock(at));
    const std::string blank(stamp.size(), ' ');
    std::string text = stamp + "  machine      down " + figure(0) + "   up " + figure(1) + "\n" + blank +
                       "  accelerated  down " + figure(2) + "   up " + figure(3) + "\n";
    if (haveUnattributed_) {
        // Bytes of ports no process was found for: part of the machine's figures above.
        text += blank + "  unattributed " + PadLeft(Utf8(format::FormatVolumeTb(unattributed_)), 9) + " (" +
                std::to_string(unattributed_) + " B)\n";
    }
    return text;
}

// As the main window's list has it: a process seen for the first time shows its average since it
// started (to its exit, or now), later rounds the bytes since the previous round over the seconds between.
std::u16string WatchView::DownRate(const ipc::ProcessListEntry& process, const base::SystemTime& at) const {
    const auto previous = seen_.find(process.pid);
    if (previous == seen_.end() || previous->second.startTime != process.startTime) {
        return format::FormatRate(static_cast<std::int64_t>(process.bytesDown), process.startTime,
                                  process.exitTime.IsEmpty() ? at : process.exitTime);
    }
    const std::int64_t seconds = std::max<std::int64_t>(1, (roundMs_ - seenMs_ + 500) / 1000);
    return format::FormatRateSeconds(
        static_cast<std::int64_t>(process.bytesDown - previous->second.bytesDown), seconds);
}

std::string WatchView::ProcessBlock(const base::SystemTime& at) {
    struct Line {
        format::FigureKey key;
        std::string text;
    };
    std::vector<Line> lines;
    for (const ipc::ProcessListEntry& p : processes_) {
        const std::u16string rate = DownRate(p, at);
        lines.push_back(
            {format::RateTextKey(rate),
             PadLeft(std::to_string(p.pid), 9) + "  " + PadRight(StateText(p.state), 8) + " " +
                 PadLeft(Utf8(rate), 11) + " " + PadLeft(Utf8(format::FormatVolumeTb(p.bytesUp)), 10) + " " +
                 PadLeft(Utf8(format::FormatVolumeTb(p.bytesDown)), 10) + "   " + Utf8(p.name) + "\n"});
    }
    // The biggest download first; equal rates keep the monitor's order.
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.key > b.key; });
    std::string text =
        Utf8(format::FormatClock(at)) + "  processes (" + std::to_string(processes_.size()) + ")\n";
    text += PadLeft("pid", 9) + "  " + PadRight("state", 8) + " " + PadLeft("down rate", 11) + " " +
            PadLeft("up", 10) + " " + PadLeft("down", 10) + "   name\n";
    for (const Line& line : lines) {
        text += line.text;
    }
    seen_.clear();
    for (const ipc::ProcessListEntry& p : processes_) {
        seen_[p.pid] = {p.startTime, p.bytesDown};
    }
    seenMs_ = roundMs_;
    return text;
}

}  // namespace console
