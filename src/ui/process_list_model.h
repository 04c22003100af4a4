#pragma once

// The process traffic page without its list view: which engine records get a row, the texts of each
// row's columns, and the order of a column. The page draws what Refresh answers and keeps its own
// per-record state here (row or not, row removed, the totals of the previous refresh), so that the
// statistics tick's own previous totals, which feed the alarm, never move.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/system_time.h"
#include "engine/traffic_snapshots.h"

namespace ui {

// The page's columns, in the list view's order.
enum ListColumn : int {
    kNameColumn,
    kDownRateColumn,
    kUpRateColumn,
    kDownTotalColumn,
    kUpTotalColumn,
    kConnectionsColumn,
    kListColumnCount
};

using ListRowTexts = std::array<std::u16string, kListColumnCount>;

// One change of the list that a refresh asks for. Rows are named by the engine record they show.
struct ListChange {
    enum class Kind { kAdd, kUpdate, kRemove };
    Kind kind = Kind::kAdd;
    std::size_t record = 0;
    std::uint32_t pid = 0;  // kAdd: for the row's icon
    std::u16string path;    // kAdd: for the row's icon
    ListRowTexts texts;     // kAdd and kUpdate
    friend bool operator==(const ListChange&, const ListChange&) = default;
};

class ProcessListModel {
  public:
    // One refresh of the page (once a second): `rows` as ReadProcessRows lists them, `localTotal` the
    // machine's up plus down total, `now` the local time. Nothing changes while the total is 0.
    std::vector<ListChange> Refresh(const std::vector<engine::ProcessRow>& rows, std::uint64_t localTotal,
                                    const base::SystemTime& now);
    // The row of `record` went away outside a refresh (the process was ended from the page).
    void Forget(std::size_t record);
    bool HasRow(std::size_t record) const;
    std::size_t RowCount() const;

  private:
    struct RecordState {
        bool hasRow = false;
        bool rowRemoved = false;
        std::uint64_t upSnapshot = 0;
        std::uint64_t downSnapshot = 0;
    };
    std::unordered_map<std::size_t, RecordState> records_;
};

// The order of two texts of `column`: negative when `a` goes first, positive when `b` does. Names and
// connection counts give 0 when equal; rates and totals never do (equal figures compare as "less" in
// both directions), nor do unknown columns (1). `sortOrder` -1 turns it round.
int CompareListTexts(int column, std::u16string_view a, std::u16string_view b, int sortOrder);

// The connection dialog: one row per connection, 14 texts each.
inline constexpr int kConnectionColumnCount = 14;
struct ConnectionListRow {
    std::uint32_t pid = 0;
    std::u16string path;  // of the process, for the row's icon
    std::array<std::u16string, kConnectionColumnCount> texts;
    friend bool operator==(const ConnectionListRow&, const ConnectionListRow&) = default;
};
// Mode 1 passes one process, mode 2 every process; rows follow the records' and connections' order.
std::vector<ConnectionListRow> ConnectionListRows(const std::vector<engine::ProcessDetail>& processes,
                                                  const base::SystemTime& now);

// The process traffic dialog's values: name, PID, path, file description (empty), download total,
// upload total, connection count.
std::array<std::u16string, 7> ProcessDetailTexts(const engine::ProcessRow& process);
// The machine traffic dialog's values: name, address, monitoring start, download total, upload total,
// average download rate, average upload rate (from the start to `now`).
std::array<std::u16string, 7> MachineFigureTexts(const engine::MachineFigures& figures,
                                                 const base::SystemTime& now);

// Pids 0 and 4 are the system's own: their rows take svchost.exe's icon.
inline bool UsesSystemIcon(std::uint32_t pid) {
    return pid == 0 || pid == 4;
}

}  // namespace ui
