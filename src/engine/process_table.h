#pragma once

// The port-to-process table: the ProcessList with every ProcessRecord and ConnectionRecord, the
// PortIndex from local port to its record, and the MissCache that keeps a flood of packets for an
// unknown port from repeating the failed look-up. Filled from the system's TCP and UDP owner tables,
// in full at start and incrementally whenever the decoder meets a port it cannot attribute.
//
// Locks: the engine lock (owned by the engine, handed in) guards the list, the records and the
// MissCache; the PortIndex has a lock of its own, always taken after the engine lock. The table calls
// and name resolution run without the engine lock.

#include <atomic>
#include <cstdint>
#include <map>
#include <span>
#include <unordered_map>
#include <vector>

#include "base/event.h"
#include "base/lock.h"
#include "engine/engine_clock.h"
#include "engine/port_index.h"
#include "engine/process_names.h"
#include "engine/process_records.h"
#include "engine/socket_close_events.h"
#include "engine/socket_table.h"

namespace engine {

struct MissEntry {
    std::uint32_t misses = 0;
    std::uint32_t firstMissTick = 0;
    // Payload the port carried while no record owned it. It goes to the record a refresh finds for the
    // port, or to the unattributed totals once a refresh that began after the first miss does not list
    // the port (the socket closed before any refresh saw it).
    std::uint64_t bytesUp = 0;
    std::uint64_t bytesDown = 0;
};

struct ByteTotals {
    std::uint64_t up = 0;
    std::uint64_t down = 0;
    friend bool operator==(const ByteTotals&, const ByteTotals&) = default;
};

// Look-ups of a port that missed are not repeated for this long after its first miss.
inline constexpr std::uint32_t kMissCacheWindowMs = 2000;
// A refresh gives up a missed port (no socket listed, no close reported) only once its first miss is
// this old: the close of a socket that lived a few milliseconds may reach the table after its packets.
inline constexpr std::uint32_t kMissGiveUpMs = 300;
// How long a reported close can still claim the bytes of its port.
inline constexpr std::uint32_t kClosedSocketKeepMs = 10000;

class ProcessTable {
  public:
    ProcessTable(base::ReentrantLock& engineLock, ISocketTableSource& sockets, ProcessNames& names,
                 IClock& clock);
    ProcessTable(const ProcessTable&) = delete;
    ProcessTable& operator=(const ProcessTable&) = delete;

    // Empties the table and fills it from both system tables. 0, kOutOfMemory, or the error of the
    // failed table call. Called once at start, before any worker thread exists.
    [[nodiscard]] std::uint32_t InitProcessList();

    // Brings the table up to date: records of ports no longer listed are closed (state 1, out of the
    // index), ports listed for the first time are recorded; nothing else is touched. 0, or the error of
    // the failed table call (nothing changed then).
    std::uint32_t RefreshProcessList();

    // Records the rows whose local port equals `portFilter` (every row for 0).
    void AddTcpRows(std::span<const TcpRow> rows, std::uint16_t portFilter);
    void AddUdpRows(std::span<const UdpRow> rows, std::uint16_t portFilter);

    // Appends a copy of `record` to the process and enters its port: 1, or 0 when the port is already
    // entered. Engine lock held.
    int AddConnection(ProcessRecord& process, const ConnectionRecord& record);

    // The record of a local port, or null. Engine lock held (the decoder adds to the record's counters
    // under it). A miss enters the port into the MissCache; for kMissCacheWindowMs after its first
    // miss the port is not looked up again, unless missed bytes are kept (then the index is always
    // asked first, and a found port takes its entry's bytes).
    ConnectionRecord* FindPortRecord(std::uint16_t port);

    // Marks a process as ended at `now`: state 1, the closed marker appended to its name, every
    // connection closed and its port taken out of the index. Engine lock held.
    void MarkExited(ProcessRecord& process, const base::SystemTime& now);

    // Adds one packet's payload to the record of its local port: true. Without a record, false; while
    // missed bytes are kept the payload waits in the port's MissCache entry. Engine lock held.
    bool CountPortBytes(std::uint16_t port, bool upload, std::uint64_t bytes);

    // Keeping on (the default): a missed port's payload waits for its owner, and a port found in the
    // index is counted at once even inside its miss window. Off: payload of a missed port is dropped and
    // the miss window holds for its full length. Set before the engine starts.
    void SetKeepMissedBytes(bool keep) { keepMissed_.store(keep, std::memory_order_relaxed); }
    bool KeepsMissedBytes() const { return keepMissed_.load(std::memory_order_relaxed); }

    // Payload that no record holds: still waiting in the MissCache, plus what was given up on. Engine
    // lock held.
    ByteTotals Unattributed() const;

    // Closes of TCP sockets with their owners, as a close source reports them: a connection that ended
    // before any refresh listed it still finds its process. Each is kept kClosedSocketKeepMs. Takes the
    // engine lock itself.
    void NoteClosedSockets(std::span<const SocketCloseEvent> closes);

    // Signalled when a port misses for the first time, so that the refresh need not wait out its period.
    base::Event& NewMissEvent() { return newMiss_; }

    // Every port in the index, ascending.
    std::vector<std::uint16_t> SnapshotPorts() const { return portIndex_.SnapshotPorts(); }

    // Engine lock held for both, and for as long as the records are used.
    ProcessList& Processes() { return processes_; }
    const ProcessList& Processes() const { return processes_; }
    const std::map<std::uint16_t, MissEntry>& MissCache() const { return missCache_; }

    base::ReentrantLock& EngineLock() { return engineLock_; }
    IClock& Clock() { return clock_; }

    // Frees every record after the head and empties the index (engine destruction).
    void Clear();

  private:
    struct Owner {
        std::u16string path;
        std::u16string name;
        std::uint64_t startStamp = 0;
    };
    // Names resolved during one pass: a process with many sockets is asked about once.
    using OwnerCache = std::unordered_map<std::uint32_t, Owner>;

    // A reported close: its owner, resolved when it was reported, and the record it fills once its
    // port's bytes are claimed.
    struct ClosedSocket {
        std::uint32_t pid = 0;
        Owner owner;
        ConnectionRecord connection;
        std::uint32_t tick = 0;
        ConnectionRecord* record = nullptr;
    };

    const Owner& ResolveOwner(std::uint32_t pid, OwnerCache& owners);
    ProcessRecord& ProcessOf(std::uint32_t pid, const Owner& owner, const base::SystemTime& startTime);
    bool ClaimForClosedSocket(std::uint16_t port, MissEntry& entry);
    bool AdoptClosedSocket(const ConnectionRecord& record);
    void AddRow(const ConnectionRecord& record, std::uint32_t pid, OwnerCache& owners);
    ConnectionRecord RecordOfRow(const TcpRow& row, const base::SystemTime& now) const;
    ConnectionRecord RecordOfRow(const UdpRow& row, const base::SystemTime& now) const;
    void AddNewPorts(const std::vector<std::uint16_t>& ports, const std::vector<TcpRow>& tcp,
                     const std::vector<UdpRow>& udp);
    void Claim(ConnectionRecord& record, MissEntry& entry);
    template <typename Listed>
    void SettleMisses(const Listed& listed, std::uint32_t fetchTick);

    base::ReentrantLock& engineLock_;
    ISocketTableSource& sockets_;
    ProcessNames& names_;
    IClock& clock_;
    ProcessList processes_;
    PortIndex portIndex_;
    std::map<std::uint16_t, MissEntry> missCache_;
    std::atomic<bool> keepMissed_{true};
    std::unordered_map<std::uint16_t, ClosedSocket> closedSockets_;
    ByteTotals pending_;  // the sum of the MissCache entries' bytes
    ByteTotals givenUp_;  // bytes of entries whose port no refresh listed
    base::Event newMiss_{base::EventReset::kAutomatic, false};
    // Table buffers kept between refreshes so that a refresh does not allocate them again.
    std::vector<TcpRow> tcpRows_;
    std::vector<UdpRow> udpRows_;
};

}  // namespace engine
