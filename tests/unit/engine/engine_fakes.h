#pragma once

// Fakes of the engine's system seams: socket tables, processes, interfaces and the clock.

#include <cstdint>
#include <cstring>
#include <map>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "base/module_path.h"
#include "base/os_error.h"
#include "engine/engine_clock.h"
#include "engine/interface_table.h"
#include "engine/privileges.h"
#include "engine/process_source.h"
#include "engine/socket_table.h"

namespace engine_test {

// An IPv4 address in network byte order.
inline std::uint32_t Ip(unsigned a, unsigned b, unsigned c, unsigned d) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(a), static_cast<unsigned char>(b),
                                    static_cast<unsigned char>(c), static_cast<unsigned char>(d)};
    std::uint32_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// A full path of this OS ending in `name`.
inline std::u16string PathOf(std::u16string_view name) {
    const std::u16string s(1, base::kPathSeparator);
    return u"games" + s + u"bin" + s + std::u16string(name);
}

inline base::SystemTime At(std::uint16_t hour, std::uint16_t minute, std::uint16_t second) {
    base::SystemTime t;
    t.year = 2024, t.month = 5, t.day = 17, t.hour = hour, t.minute = minute, t.second = second;
    return t;
}

class FakeClock final : public engine::IClock {
  public:
    std::uint32_t TickCount() override { return tick; }
    base::SystemTime LocalTime() override { return time; }
    std::uint32_t tick = 0;
    base::SystemTime time = At(10, 0, 0);
};

class FakeSocketTable final : public engine::ISocketTableSource {
  public:
    std::uint32_t FetchTcpTable(std::vector<engine::TcpRow>& rows) override {
        if (throwsLeft > 0) {
            --throwsLeft;
            throw std::bad_alloc();  // as an allocation failure inside a pass would
        }
        rows = tcpError == 0 ? tcp : std::vector<engine::TcpRow>{};
        if (tcpError != 0 && osError != 0) {
            base::SetLastOsError(osError);
        }
        return tcpError;
    }
    std::uint32_t FetchUdpTable(std::vector<engine::UdpRow>& rows) override {
        rows = udpError == 0 ? udp : std::vector<engine::UdpRow>{};
        return udpError;
    }
    std::vector<engine::TcpRow> tcp;
    std::vector<engine::UdpRow> udp;
    std::uint32_t tcpError = 0;
    std::uint32_t udpError = 0;
    std::uint32_t osError = 0;  // when not 0, what a failed TCP fetch leaves as the OS error
    int throwsLeft = 0;         // TCP fetches that throw first
};

struct FakeProcess {
    std::u16string path;          // what the image path query answers; empty: it fails
    std::u16string snapshotName;  // what the snapshot fallback answers; empty: it fails
    bool running = true;
    std::uint64_t stamp = 0;
};

class FakeProcessSource final : public engine::IProcessSource {
  public:
    static constexpr std::uint32_t kAccessDenied = 5;

    std::uint32_t QueryImagePath(std::uint32_t pid, std::u16string& path) override {
        ++imageQueries[pid];
        path = Find(pid).path;
        return path.empty() ? kAccessDenied : 0;
    }
    std::uint32_t QuerySnapshotName(std::uint32_t pid, std::u16string& name) override {
        ++snapshotQueries[pid];
        name = Find(pid).snapshotName;
        return name.empty() ? kAccessDenied : 0;
    }
    bool IsRunning(std::uint32_t pid, std::uint64_t startStamp) override {
        ++runningQueries[pid];
        const FakeProcess p = Find(pid);
        return p.running && (startStamp == 0 || startStamp == p.stamp);
    }
    std::uint64_t StartStamp(std::uint32_t pid) override { return Find(pid).stamp; }
    std::uint32_t KernelPid() const override { return kernelPid; }
    std::uint32_t Terminate(std::uint32_t, std::uint64_t) override { return engine::kCannotOpenProcess; }

    // A running process whose image path ends in `name`.
    void Add(std::uint32_t pid, std::u16string_view name, std::uint64_t stamp = 0) {
        processes[pid] = FakeProcess{PathOf(name), std::u16string(name), true, stamp};
    }

    std::map<std::uint32_t, FakeProcess> processes;
    std::map<std::uint32_t, int> imageQueries;
    std::map<std::uint32_t, int> snapshotQueries;
    std::map<std::uint32_t, int> runningQueries;
    std::uint32_t kernelPid = 4;

  private:
    FakeProcess Find(std::uint32_t pid) const {  // an unknown pid: no names, not running
        const auto it = processes.find(pid);
        return it != processes.end() ? it->second : FakeProcess{u"", u"", false, 0};
    }
};

class FakeInterfaceTable final : public engine::IInterfaceTable {
  public:
    engine::ListStatus ListInterfaces(std::vector<engine::InterfaceRow>& out) override {
        out = interfaceStatus == engine::ListStatus::kOk ? rows : std::vector<engine::InterfaceRow>{};
        return interfaceStatus;
    }
    bool ReadInterfaceCounters(std::uint32_t index, std::uint32_t& in, std::uint32_t& out) override {
        for (const auto& row : rows) {
            if (row.index == index && !gone) {
                in = row.inOctets;
                out = row.outOctets;
                return true;
            }
        }
        return false;
    }
    engine::ListStatus ListAdapters(std::vector<engine::AdapterEntry>& out) override {
        out = adapterStatus == engine::ListStatus::kOk ? adapters : std::vector<engine::AdapterEntry>{};
        return adapterStatus;
    }
    std::vector<engine::InterfaceRow> rows;
    std::vector<engine::AdapterEntry> adapters;
    engine::ListStatus interfaceStatus = engine::ListStatus::kOk;
    engine::ListStatus adapterStatus = engine::ListStatus::kOk;
    bool gone = false;
};

class FakePrivilegeOps final : public engine::IPrivilegeOps {
  public:
    std::int32_t AddFirewallException(std::u16string_view name, std::u16string_view path) override {
        exceptions.emplace_back(name, path);
        return firewallResult;
    }
    std::uint32_t EnableProcessPrivileges() override {
        ++privilegeCalls;
        if (privilegeResult != 0 && osError != 0) {
            base::SetLastOsError(osError);
        }
        return privilegeResult;
    }
    std::vector<std::pair<std::u16string, std::u16string>> exceptions;
    std::int32_t firewallResult = 0;
    std::uint32_t privilegeResult = 0;
    std::uint32_t osError = 0;  // when not 0, what a failed privilege step leaves as the OS error
    int privilegeCalls = 0;
};

}  // namespace engine_test
