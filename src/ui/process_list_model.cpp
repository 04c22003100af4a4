#include "ui/process_list_model.h"

#include <charconv>
#include <cstring>

#include "engine/process_records.h"
#include "format/figure_compare.h"
#include "format/value_format.h"

namespace ui {
namespace {

std::u16string Decimal(std::uint32_t value) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return std::u16string(digits, end);
}

// The address's bytes lie in memory in network order, first octet first.
std::u16string DottedAddress(std::uint32_t networkOrder) {
    unsigned char bytes[4];
    std::memcpy(bytes, &networkOrder, sizeof bytes);
    std::u16string text;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            text += u'.';
        }
        text += Decimal(bytes[i]);
    }
    return text;
}

std::int64_t Signed(std::uint64_t bytes) {
    return static_cast<std::int64_t>(bytes);
}

// The rates of one row, as FormatRate gives them, over one interval converted once: the conversion of a
// local stamp reads the time zone on every call, and a refresh or a connection list would convert `now`
// thousands of times.
class RowInterval {
  public:
    explicit RowInterval(const base::SystemTime& now) : now_(base::LocalToCalendarSeconds(now)) {}

    // From `start` to `end`, or to now while `end` is empty (running, open).
    void Set(const base::SystemTime& start, const base::SystemTime& end) {
        hasStart_ = !start.IsEmpty();
        if (hasStart_) {
            seconds_ = (end.IsEmpty() ? now_ : base::LocalToCalendarSeconds(end)) -
                       base::LocalToCalendarSeconds(start);
        }
    }
    std::u16string Rate(std::uint64_t bytes) const {
        return format::FormatRateSeconds(hasStart_ ? static_cast<std::int64_t>(bytes) : 0, seconds_);
    }

  private:
    std::int64_t now_;
    std::int64_t seconds_ = 1;
    bool hasStart_ = false;
};

bool Listable(const engine::ProcessRow& row) {
    return !row.accelerated && !row.name.empty() && row.name != engine::kClosedMarker;
}

ListChange Change(ListChange::Kind kind, const engine::ProcessRow& row) {
    ListChange change;
    change.kind = kind;
    change.record = row.record;
    change.pid = row.pid;
    return change;
}

int Sign(long long value) {
    return value < 0 ? -1 : value > 0 ? 1 : 0;
}

// The column's value as the C run-time's wtoi reads it: leading digits only.
long long LeadingNumber(std::u16string_view text) {
    long long value = 0;
    // Counts are 32-bit; the cap only keeps a runaway text from overflowing.
    for (std::size_t i = 0; i < text.size() && i < 18 && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i] - u'0');
    }
    return value;
}

}  // namespace

std::vector<ListChange> ProcessListModel::Refresh(const std::vector<engine::ProcessRow>& rows,
                                                  std::uint64_t localTotal, const base::SystemTime& now) {
    std::vector<ListChange> changes;
    if (localTotal == 0) {
        return changes;
    }
    RowInterval interval(now);
    for (const engine::ProcessRow& row : rows) {
        RecordState& state = records_[row.record];
        const bool running = row.state == engine::kStateRunning;
        if (!state.hasRow && !state.rowRemoved) {
            // A process that exited before it was ever listed stays out: exited processes disappear.
            if (!running) {
                state.rowRemoved = row.state == engine::kStateExited;
                continue;
            }
            if (!Listable(row)) {
                continue;
            }
            ListChange change = Change(ListChange::Kind::kAdd, row);
            change.path = row.path;
            interval.Set(row.startTime, row.exitTime);
            change.texts = {row.name,
                            interval.Rate(row.bytesDown),
                            interval.Rate(row.bytesUp),
                            format::FormatVolumeTb(row.bytesDown),
                            format::FormatVolumeTb(row.bytesUp),
                            Decimal(row.connectionCount)};
            changes.push_back(std::move(change));
            state.hasRow = true;
            state.downSnapshot = row.bytesDown;
            state.upSnapshot = row.bytesUp;
        } else if (running && Listable(row) && state.hasRow) {
            ListChange change = Change(ListChange::Kind::kUpdate, row);
            change.texts = {row.name,
                            format::FormatRateSeconds(Signed(row.bytesDown - state.downSnapshot), 1),
                            format::FormatRateSeconds(Signed(row.bytesUp - state.upSnapshot), 1),
                            format::FormatVolumeTb(row.bytesDown),
                            format::FormatVolumeTb(row.bytesUp),
                            Decimal(row.connectionCount)};
            changes.push_back(std::move(change));
            state.downSnapshot = row.bytesDown;
            state.upSnapshot = row.bytesUp;
        } else if (running && row.accelerated) {
            // Not flagged as removed: should the process stop being accelerated, it is listed again.
            if (state.hasRow) {
                changes.push_back(Change(ListChange::Kind::kRemove, row));
                state.hasRow = false;
            }
        } else if (row.state == engine::kStateExited && !state.rowRemoved) {
            if (state.hasRow) {
                changes.push_back(Change(ListChange::Kind::kRemove, row));
                state.hasRow = false;
            }
            state.rowRemoved = true;
        }
    }
    return changes;
}

void ProcessListModel::Forget(std::size_t record) {
    const auto found = records_.find(record);
    if (found != records_.end() && found->second.hasRow) {
        found->second.hasRow = false;
        found->second.rowRemoved = true;
    }
}

bool ProcessListModel::HasRow(std::size_t record) const {
    const auto found = records_.find(record);
    return found != records_.end() && found->second.hasRow;
}

std::size_t ProcessListModel::RowCount() const {
    std::size_t count = 0;
    for (const auto& [record, state] : records_) {
        count += state.hasRow ? 1 : 0;
    }
    return count;
}

int CompareListTexts(int column, std::u16string_view a, std::u16string_view b, int sortOrder) {
    int result = 1;
    switch (column) {
        case kNameColumn:
            result = Sign(a.compare(b));
            break;
        case kDownRateColumn:
        case kUpRateColumn:
            result = format::CompareRateTexts(a, b);
            break;
        case kDownTotalColumn:
        case kUpTotalColumn:
            result = format::CompareVolumeTexts(a, b);
            break;
        case kConnectionsColumn:
            result = Sign(LeadingNumber(a) - LeadingNumber(b));
            break;
        default:
            break;
    }
    return sortOrder == -1 ? -result : result;
}

std::vector<ConnectionListRow> ConnectionListRows(const std::vector<engine::ProcessDetail>& processes,
                                                  const base::SystemTime& now) {
    std::vector<ConnectionListRow> rows;
    RowInterval interval(now);
    for (const engine::ProcessDetail& detail : processes) {
        const engine::ProcessRow& process = detail.process;
        const std::u16string pid = Decimal(process.pid);
        for (const engine::ConnectionRow& c : detail.connections) {
            interval.Set(c.startTime, c.endTime);
            ConnectionListRow& row = rows.emplace_back();
            row.pid = process.pid;
            row.path = process.path;
            row.texts = {process.name,
                         pid,
                         c.protocol == engine::kProtocolTcp ? u"TCP" : u"UDP",
                         DottedAddress(c.localAddress),
                         Decimal(c.localPort),
                         DottedAddress(c.remoteAddress),
                         Decimal(c.remotePort),
                         format::FormatVolume(c.bytesDown),
                         format::FormatVolume(c.bytesUp),
                         interval.Rate(c.bytesDown),
                         interval.Rate(c.bytesUp),
                         c.state == engine::kStateOpen ? u"监听中" : u"已关闭",
                         format::FormatClockCn(c.startTime),
                         format::FormatClockCn(c.endTime)};
        }
    }
    return rows;
}

std::array<std::u16string, 7> ProcessDetailTexts(const engine::ProcessRow& process) {
    return {process.name,
            Decimal(process.pid),
            process.path,
            std::u16string(),
            format::FormatVolume(process.bytesDown),
            format::FormatVolume(process.bytesUp),
            Decimal(process.connectionCount)};
}

std::array<std::u16string, 7> MachineFigureTexts(const engine::MachineFigures& figures,
                                                 const base::SystemTime& now) {
    return {figures.hostName,
            figures.hostAddress,
            format::FormatClockCn(figures.startTime),
            format::FormatVolume(figures.localDown),
            format::FormatVolume(figures.localUp),
            format::FormatRate(Signed(figures.localDown), figures.startTime, now),
            format::FormatRate(Signed(figures.localUp), figures.startTime, now)};
}

}  // namespace ui
