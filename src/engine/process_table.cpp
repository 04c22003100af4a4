#include "engine/process_table.h"

#include <algorithm>
#include <bitset>
#include <memory>
#include <utility>

#include "base/text.h"
#include "base/traffic_log.h"

namespace engine {
namespace {

using PortSet = std::bitset<65536>;

// Row positions of the given ports, grouped by port and in table order within a port.
template <typename Row>
std::vector<std::pair<std::uint16_t, std::uint32_t>> RowsByPort(const std::vector<Row>& rows,
                                                                const PortSet& ports) {
    std::vector<std::pair<std::uint16_t, std::uint32_t>> positions;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (ports.test(rows[i].localPort)) {
            positions.emplace_back(rows[i].localPort, static_cast<std::uint32_t>(i));
        }
    }
    std::sort(positions.begin(), positions.end());
    return positions;
}

template <typename Positions>
auto RangeOfPort(const Positions& positions, std::uint16_t port) {
    return std::equal_range(positions.begin(), positions.end(),
                            std::pair<std::uint16_t, std::uint32_t>(port, 0),
                            [](const auto& a, const auto& b) { return a.first < b.first; });
}

}  // namespace

ProcessTable::ProcessTable(base::ReentrantLock& engineLock, ISocketTableSource& sockets, ProcessNames& names,
                           IClock& clock)
    : engineLock_(engineLock), sockets_(sockets), names_(names), clock_(clock) {}

std::uint32_t ProcessTable::InitProcessList() {
    {
        base::AutoLock hold(engineLock_);
        Clear();
        ProcessRecord& head = processes_.Head();
        head.startTime = head.exitTime = clock_.LocalTime();
    }
    std::uint32_t result = sockets_.FetchTcpTable(tcpRows_);
    if (result == kOutOfMemory) {
        base::WriteTrafficLogError("分配内存失败 in InitProcessList，error no = %d \n", result);
        return result;
    }
    if (result != 0) {
        base::WriteTrafficLogError("获取TCP连接失败 in InitProcessList，error no = %d \n", result);
        return result;
    }
    result = sockets_.FetchUdpTable(udpRows_);
    if (result == kOutOfMemory) {
        base::WriteTrafficLogError("分配内存失败 in InitProcessList，error no = %d \n", result);
        return result;
    }
    if (result != 0) {
        base::WriteTrafficLogError("获取UDP连接失败 in InitProcessList，error no = %d \n", result);
        return result;
    }
    AddTcpRows(tcpRows_, 0);
    AddUdpRows(udpRows_, 0);
    return 0;
}

std::uint32_t ProcessTable::RefreshProcessList() {
    // A miss before this moment whose port the tables below do not list had a socket that is gone.
    const std::uint32_t fetchTick = clock_.TickCount();
    std::uint32_t result = sockets_.FetchTcpTable(tcpRows_);
    if (result != 0) {
        base::WriteTrafficLogError("获取TCP连接失败 in RefreshProcessList，error no = %d \n", result);
        return result;
    }
    result = sockets_.FetchUdpTable(udpRows_);
    if (result != 0) {
        return result;
    }

    const std::vector<std::uint16_t> known = portIndex_.SnapshotPorts();
    auto knownSet = std::make_unique<PortSet>();
    for (std::uint16_t port : known) {
        knownSet->set(port);
    }
    // Ports listed now, and among them the ones not known yet, in the order the tables list them.
    auto current = std::make_unique<PortSet>();
    std::vector<std::uint16_t> added;
    const auto offer = [&](std::uint16_t port) {
        if (port != 0 && !current->test(port)) {
            current->set(port);
            if (!knownSet->test(port)) {
                added.push_back(port);
            }
        }
    };
    for (const TcpRow& row : tcpRows_) {
        offer(row.localPort);
    }
    for (const UdpRow& row : udpRows_) {
        offer(row.localPort);
    }

    {
        base::AutoLock hold(engineLock_);
        const base::SystemTime now = clock_.LocalTime();
        for (std::uint16_t port : known) {
            if (current->test(port)) {
                continue;
            }
            if (ConnectionRecord* record = FindPortRecord(port)) {
                record->state = kStateClosed;
                portIndex_.Erase(port);
                record->endTime = now;
            }
        }
    }
    AddNewPorts(added, tcpRows_, udpRows_);
    if (KeepsMissedBytes()) {
        base::AutoLock hold(engineLock_);
        SettleMisses(*current, fetchTick);
    }
    return result;
}

// Each waiting entry goes to the record that now owns its port, or to the process reported closing a
// socket on it, or is given up when the tables fetched kMissGiveUpMs or more after its first miss did
// not list the port. Younger entries wait for the next refresh.
template <typename Listed>
void ProcessTable::SettleMisses(const Listed& listed, std::uint32_t fetchTick) {
    for (auto it = missCache_.begin(); it != missCache_.end();) {
        MissEntry& entry = it->second;
        if (ConnectionRecord* record = portIndex_.FindHoldingEngineLock(it->first)) {
            Claim(*record, entry);
            it = missCache_.erase(it);
        } else if (ClaimForClosedSocket(it->first, entry)) {
            it = missCache_.erase(it);
        } else if (static_cast<std::int32_t>(fetchTick - entry.firstMissTick) >=
                       static_cast<std::int32_t>(kMissGiveUpMs) &&
                   !listed.test(it->first)) {
            pending_.up -= entry.bytesUp;
            pending_.down -= entry.bytesDown;
            givenUp_.up += entry.bytesUp;
            givenUp_.down += entry.bytesDown;
            it = missCache_.erase(it);
        } else {
            ++it;
        }
    }
}

void ProcessTable::Claim(ConnectionRecord& record, MissEntry& entry) {
    record.bytesUp += entry.bytesUp;
    record.bytesDown += entry.bytesDown;
    pending_.up -= entry.bytesUp;
    pending_.down -= entry.bytesDown;
}

ByteTotals ProcessTable::Unattributed() const {
    return {pending_.up + givenUp_.up, pending_.down + givenUp_.down};
}

// Each new port is offered once, with all its rows in table order: its first row enters it, later rows
// (a listener's accepted connections, UDP on a TCP port's number) add no connection, though an owner not
// seen before still gets its record. Offering a port again could add nothing more.
void ProcessTable::AddNewPorts(const std::vector<std::uint16_t>& ports, const std::vector<TcpRow>& tcp,
                               const std::vector<UdpRow>& udp) {
    if (ports.empty()) {
        return;
    }
    auto wanted = std::make_unique<PortSet>();
    for (std::uint16_t port : ports) {
        wanted->set(port);
    }
    const auto tcpByPort = RowsByPort(tcp, *wanted);
    const auto udpByPort = RowsByPort(udp, *wanted);
    const base::SystemTime now = clock_.LocalTime();
    OwnerCache owners;
    for (std::uint16_t port : ports) {
        for (auto [it, end] = RangeOfPort(tcpByPort, port); it != end; ++it) {
            AddRow(RecordOfRow(tcp[it->second], now), tcp[it->second].pid, owners);
        }
        for (auto [it, end] = RangeOfPort(udpByPort, port); it != end; ++it) {
            AddRow(RecordOfRow(udp[it->second], now), udp[it->second].pid, owners);
        }
    }
}

void ProcessTable::AddTcpRows(std::span<const TcpRow> rows, std::uint16_t portFilter) {
    const base::SystemTime now = clock_.LocalTime();
    OwnerCache owners;
    for (const TcpRow& row : rows) {
        if (portFilter == 0 || row.localPort == portFilter) {
            AddRow(RecordOfRow(row, now), row.pid, owners);
        }
    }
}

void ProcessTable::AddUdpRows(std::span<const UdpRow> rows, std::uint16_t portFilter) {
    const base::SystemTime now = clock_.LocalTime();
    OwnerCache owners;
    for (const UdpRow& row : rows) {
        if (portFilter == 0 || row.localPort == portFilter) {
            AddRow(RecordOfRow(row, now), row.pid, owners);
        }
    }
}

ConnectionRecord ProcessTable::RecordOfRow(const TcpRow& row, const base::SystemTime& now) const {
    ConnectionRecord record;
    record.localAddress = row.localAddress;
    record.localPort = row.localPort;
    record.remoteAddress = row.remoteAddress;
    record.remotePort = row.remotePort;
    record.protocol = kProtocolTcp;
    record.state = kStateOpen;
    record.startTime = record.endTime = now;
    return record;
}

ConnectionRecord ProcessTable::RecordOfRow(const UdpRow& row, const base::SystemTime& now) const {
    ConnectionRecord record;
    record.localPort = row.localPort;
    record.protocol = kProtocolUdp;
    record.state = kStateOpen;
    record.startTime = record.endTime = now;
    return record;
}

const ProcessTable::Owner& ProcessTable::ResolveOwner(std::uint32_t pid, OwnerCache& owners) {
    auto [it, inserted] = owners.try_emplace(pid);
    if (inserted) {
        names_.GetProcessNameById(static_cast<std::int32_t>(pid), it->second.path);
        it->second.name = FileNameOfPath(it->second.path);
        it->second.startStamp = names_.IsSystemPid(pid) ? 0 : names_.StartStamp(pid);
    }
    return it->second;
}

void ProcessTable::AddRow(const ConnectionRecord& record, std::uint32_t pid, OwnerCache& owners) {
    if (pid == 0 && AdoptClosedSocket(record)) {
        return;
    }
    const Owner& owner = ResolveOwner(pid, owners);
    base::AutoLock hold(engineLock_);
    ProcessRecord& process = ProcessOf(pid, owner, record.startTime);
    AddConnection(process, record);
    process.portCount = static_cast<std::uint32_t>(process.connections.size());
}

// The running record of this pid, or a new one. A record whose stamp differs belongs to an earlier
// process that had the pid and is about to be found exited. Engine lock held.
ProcessRecord& ProcessTable::ProcessOf(std::uint32_t pid, const Owner& owner,
                                       const base::SystemTime& startTime) {
    if (processes_.Count() == 0) {
        // The head keeps the start time the table was filled at.
        ProcessRecord& head = processes_.Append();
        head.pid = pid;
        head.path = owner.path;
        head.name = owner.name;
        head.state = kStateRunning;
        head.startStamp = owner.startStamp;
        return head;
    }
    const auto sameProcess = [&](const ProcessRecord& p) {
        return p.pid == pid && p.state != kStateExited &&
               (p.startStamp == 0 || owner.startStamp == 0 || p.startStamp == owner.startStamp);
    };
    const auto found = std::find_if(processes_.begin(), processes_.end(), sameProcess);
    if (found != processes_.end()) {
        return *found;
    }
    ProcessRecord& process = processes_.Append();
    process.pid = pid;
    process.name = owner.name;
    process.path = owner.path;
    process.state = kStateRunning;
    process.startTime = process.exitTime = startTime;
    process.startStamp = owner.startStamp;
    return process;
}

void ProcessTable::NoteClosedSockets(std::span<const SocketCloseEvent> closes) {
    if (closes.empty() || !KeepsMissedBytes()) {
        return;
    }
    // The owners are looked up now, while the processes most likely still run.
    OwnerCache owners;
    std::vector<ClosedSocket> noted;
    noted.reserve(closes.size());
    const base::SystemTime now = clock_.LocalTime();
    for (const SocketCloseEvent& close : closes) {
        ClosedSocket closed;
        closed.pid = close.pid;
        closed.owner = ResolveOwner(close.pid, owners);
        closed.connection.localAddress = close.localAddress;
        closed.connection.localPort = close.localPort;
        closed.connection.remoteAddress = close.remoteAddress;
        closed.connection.remotePort = close.remotePort;
        closed.connection.protocol = kProtocolTcp;
        closed.connection.state = kStateClosed;
        closed.connection.startTime = closed.connection.endTime = now;
        noted.push_back(std::move(closed));
    }
    base::AutoLock hold(engineLock_);
    const std::uint32_t tick = clock_.TickCount();
    std::erase_if(closedSockets_,
                  [tick](const auto& entry) { return tick - entry.second.tick > kClosedSocketKeepMs; });
    for (ClosedSocket& closed : noted) {
        const auto port = static_cast<std::uint16_t>(closed.connection.localPort);
        closed.tick = tick;
        closedSockets_.insert_or_assign(port, std::move(closed));
        const auto missed = missCache_.find(port);
        if (missed != missCache_.end() && portIndex_.FindHoldingEngineLock(port) == nullptr &&
            ClaimForClosedSocket(port, missed->second)) {
            missCache_.erase(missed);
        }
    }
}

// A socket its owner has closed lingers in the tables (FIN_WAIT, TIME_WAIT) with no owner (pid 0): when
// its close was reported, it is listed under the process that closed it. Takes the engine lock.
bool ProcessTable::AdoptClosedSocket(const ConnectionRecord& record) {
    base::AutoLock hold(engineLock_);
    const auto found = closedSockets_.find(static_cast<std::uint16_t>(record.localPort));
    if (found == closedSockets_.end() || found->second.connection.remoteAddress != record.remoteAddress ||
        found->second.connection.remotePort != record.remotePort) {
        return false;
    }
    ClosedSocket& closed = found->second;
    ProcessRecord& process = ProcessOf(closed.pid, closed.owner, record.startTime);
    AddConnection(process, record);
    process.portCount = static_cast<std::uint32_t>(process.connections.size());
    return true;
}

// The bytes of a missed port go to the process that was reported closing a socket on it, in a closed
// connection record of their own (the port never enters the index). Engine lock held.
bool ProcessTable::ClaimForClosedSocket(std::uint16_t port, MissEntry& entry) {
    const auto found = closedSockets_.find(port);
    if (found == closedSockets_.end()) {
        return false;
    }
    ClosedSocket& closed = found->second;
    if (closed.record == nullptr) {
        ProcessRecord& process = ProcessOf(closed.pid, closed.owner, closed.connection.startTime);
        process.connections.push_back(closed.connection);
        process.portCount = static_cast<std::uint32_t>(process.connections.size());
        closed.record = &process.connections.back();
    }
    Claim(*closed.record, entry);
    return true;
}

int ProcessTable::AddConnection(ProcessRecord& process, const ConnectionRecord& record) {
    const auto port = static_cast<std::uint16_t>(record.localPort);
    if (portIndex_.Find(port) != nullptr) {
        return 0;
    }
    process.connections.push_back(record);
    portIndex_.Insert(port, &process.connections.back());
    return 1;
}

ConnectionRecord* ProcessTable::FindPortRecord(std::uint16_t port) {
    const auto cached = missCache_.find(port);
    if (KeepsMissedBytes()) {
        // The index look-up is one load: only the refresh that a miss asks for is worth holding off.
        if (ConnectionRecord* record = portIndex_.FindHoldingEngineLock(port)) {
            if (cached != missCache_.end()) {
                Claim(*record, cached->second);
                missCache_.erase(cached);
            }
            return record;
        }
        if (cached == missCache_.end()) {
            missCache_.emplace(port, MissEntry{1, clock_.TickCount()});
            newMiss_.Set();
        } else {
            ++cached->second.misses;
        }
        return nullptr;
    }
    std::uint32_t now = 0;
    if (cached != missCache_.end()) {
        now = clock_.TickCount();
        if (now - cached->second.firstMissTick <= kMissCacheWindowMs) {
            return nullptr;
        }
    }
    // The engine lock is held here, and every change of the index is made under it.
    if (ConnectionRecord* record = portIndex_.FindHoldingEngineLock(port)) {
        if (cached != missCache_.end()) {
            missCache_.erase(cached);
        }
        return record;
    }
    if (cached == missCache_.end()) {
        missCache_.emplace(port, MissEntry{1, clock_.TickCount()});
    } else {
        ++cached->second.misses;
    }
    return nullptr;
}

bool ProcessTable::CountPortBytes(std::uint16_t port, bool upload, std::uint64_t bytes) {
    if (ConnectionRecord* record = FindPortRecord(port)) {
        (upload ? record->bytesUp : record->bytesDown) += bytes;
        return true;
    }
    if (KeepsMissedBytes()) {
        // FindPortRecord has just entered the port.
        MissEntry& entry = missCache_.at(port);
        (upload ? entry.bytesUp : entry.bytesDown) += bytes;
        (upload ? pending_.up : pending_.down) += bytes;
    }
    return false;
}

void ProcessTable::MarkExited(ProcessRecord& process, const base::SystemTime& now) {
    process.state = kStateExited;
    process.name += kClosedMarker;
    process.exitTime = now;
    for (ConnectionRecord& connection : process.connections) {
        connection.state = kStateClosed;
        connection.endTime = now;
        // Only while the port still points here: a closed port may have gone to another process since.
        portIndex_.EraseIfOwnedBy(static_cast<std::uint16_t>(connection.localPort), &connection);
    }
}

void ProcessTable::Clear() {
    base::AutoLock hold(engineLock_);
    processes_.Clear();
    portIndex_.Clear();
    missCache_.clear();
    closedSockets_.clear();
    pending_ = {};
    givenUp_ = {};
}

}  // namespace engine
