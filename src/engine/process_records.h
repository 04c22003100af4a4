#pragma once

// The records of the port-to-process table: one ProcessRecord per process that has owned a local port
// since the engine started, one ConnectionRecord per local port of it. Nothing is removed while the
// engine runs: exited processes and closed ports stay, with state 1, so that their traffic keeps
// counting in the totals. Every field is guarded by the engine lock.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <iterator>
#include <string>
#include <string_view>

#include "base/system_time.h"

namespace engine {

// Record states, shared with the alarm records.
inline constexpr std::uint32_t kStateRunning = 2;  // process running, connection open
inline constexpr std::uint32_t kStateExited = 1;   // process exited, connection closed
inline constexpr std::uint32_t kStateOpen = kStateRunning;
inline constexpr std::uint32_t kStateClosed = kStateExited;

inline constexpr std::uint32_t kProtocolTcp = 6;
inline constexpr std::uint32_t kProtocolUdp = 17;

// The pid of the empty head record, and the "reserved" field's constant.
inline constexpr std::uint32_t kNoPid = 0xFFFFFFFF;
inline constexpr std::uint32_t kReservedField = 0xFFFFFFFF;

// Appended to the name of a process that has exited; accelerated-name matches also try it.
inline constexpr std::u16string_view kClosedMarker = u"(已关闭)";

struct ConnectionRecord {
    std::uint32_t localAddress = 0;   // network byte order; 0 for UDP
    std::uint32_t localPort = 0;      // host byte order: the key of the port index
    std::uint32_t remoteAddress = 0;  // network byte order; 0 for UDP
    std::uint32_t remotePort = 0;     // host byte order; 0 for UDP
    std::uint32_t protocol = 0;       // kProtocolTcp or kProtocolUdp
    std::uint32_t state = kStateClosed;
    std::uint64_t bytesUp = 0;    // payload sent from this port
    std::uint64_t bytesDown = 0;  // payload received on this port
    base::SystemTime startTime;
    base::SystemTime endTime;  // the time the port was found closed
};

struct ProcessRecord {
    std::uint32_t rowRemoved = 0;  // owned by the traffic list page
    std::int32_t iconIndex = -1;   // owned by the traffic list page
    std::uint32_t state = kStateRunning;
    std::uint32_t reserved = kReservedField;
    std::uint32_t portCount = 0;
    std::uint32_t pid = kNoPid;
    // Appended at the end only; a deque keeps every element where it is, so the port index may point
    // into it.
    std::deque<ConnectionRecord> connections;
    // Kept by the statistics tick: totals summed from the connections and the previous tick's totals.
    std::uint64_t bytesUp = 0;
    std::uint64_t bytesDown = 0;
    std::uint64_t previousUp = 0;
    std::uint64_t previousDown = 0;
    base::SystemTime startTime;
    base::SystemTime exitTime;
    std::u16string name;  // executable file name
    std::u16string path;  // full executable path
    // Tells this process from a later one that re-uses its pid (0: the OS offers no such stamp).
    std::uint64_t startStamp = 0;
};

// The list of ProcessRecords: the first element lives in the list itself and is never freed, later ones
// are appended and keep their place, so references to records stay valid while the engine runs.
// Iteration covers the records in use (the head only once it has been filled).
class ProcessList {
public:
    template <typename Record, typename Rest>
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = ProcessRecord;
        using difference_type = std::ptrdiff_t;
        using reference = Record&;
        using pointer = Record*;
        Iterator() = default;
        Iterator(Record* head, Rest* rest, std::size_t position)
            : head_(head), rest_(rest), position_(position) {}
        Record& operator*() const { return position_ == 0 ? *head_ : (*rest_)[position_ - 1]; }
        Record* operator->() const { return &**this; }
        Iterator& operator++() {
            ++position_;
            return *this;
        }
        Iterator operator++(int) {
            Iterator old = *this;
            ++position_;
            return old;
        }
        friend bool operator==(const Iterator& a, const Iterator& b) { return a.position_ == b.position_; }

    private:
        Record* head_ = nullptr;
        Rest* rest_ = nullptr;
        std::size_t position_ = 0;
    };
    using iterator = Iterator<ProcessRecord, std::deque<ProcessRecord>>;
    using const_iterator = Iterator<const ProcessRecord, const std::deque<ProcessRecord>>;

    // Records in use: 0 while the head is still empty.
    std::size_t Count() const { return count_; }
    ProcessRecord& Head() { return head_; }
    const ProcessRecord& Head() const { return head_; }

    // The next record to fill: the head itself while it is still empty (it keeps what it holds, such as
    // its start time), otherwise a new record at the end.
    ProcessRecord& Append() {
        ++count_;
        return count_ == 1 ? head_ : rest_.emplace_back();
    }

    // Frees every record after the head and empties the head.
    void Clear() {
        rest_.clear();
        head_ = ProcessRecord{};
        count_ = 0;
    }

    iterator begin() { return iterator(&head_, &rest_, 0); }
    iterator end() { return iterator(&head_, &rest_, count_); }
    const_iterator begin() const { return const_iterator(&head_, &rest_, 0); }
    const_iterator end() const { return const_iterator(&head_, &rest_, count_); }

private:
    ProcessRecord head_;
    std::deque<ProcessRecord> rest_;
    std::size_t count_ = 0;
};

}  // namespace engine
