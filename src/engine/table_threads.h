#pragma once

// The two worker loops that keep the port-to-process table and the process states up to date. Each
// runs on a thread of its own until the running flag drops or the quit event is signalled.

#include <atomic>
#include <cstdint>
#include <span>
#include <string>

#include "base/event.h"
#include "engine/process_registry.h"
#include "engine/process_table.h"
#include "engine/socket_close_events.h"

namespace engine {

inline constexpr std::uint32_t kRefreshProcessPortPeriodMs = 500;
inline constexpr std::uint32_t kRefreshProcessStatusPeriodMs = 5000;

struct RefreshPortLinks {
    const std::atomic<std::uint32_t>& runningFlag;
    std::atomic<std::uint8_t>& portRefreshRequested;
    base::Event& quit;
    ProcessTable& table;
    std::uint32_t periodMs = kRefreshProcessPortPeriodMs;
};

// A port's first miss wakes the refresh early; after such a refresh the loop rests this long, so that a
// flood of new ports costs at most a few table fetches a second.
inline constexpr std::uint32_t kMissRefreshGapMs = 100;

// While running: a raised refresh flag, or a port's first miss (the table's new-miss event), runs
// RefreshProcessList and clears the flag; then a wait of periodMs on the quit event, which ends the loop,
// and on the new-miss event. An exception in a pass is logged and the flag stays raised, so the refresh
// is tried again at once.
void RefreshProcessPort(const RefreshPortLinks& links);

struct CloseWatchLinks {
    const std::atomic<std::uint32_t>& runningFlag;
    ISocketCloseEvents& closes;
    ProcessTable& table;
    // The captured adapters' addresses: the source sees every network namespace of the machine, whose
    // port numbers may coincide with ours, so only closes on these addresses are ours.
    std::span<const std::uint32_t> localAddresses;
    std::uint32_t pollMs = 200;
};

// Starts the close source and hands every close it reports to the table, while running. A source that
// cannot start (no tracing on this system, Windows) is logged once and the loop ends: the tables alone
// then name the owners.
void WatchSocketCloses(const CloseWatchLinks& links);

struct RefreshStatusLinks {
    const std::atomic<std::uint32_t>& runningFlag;
    base::Event& quit;
    ProcessRegistry& registry;
    std::u16string hostProcessName;
    ProcessStatusHooks hooks;
    std::uint32_t periodMs = kRefreshProcessStatusPeriodMs;
};

// While running: wait periodMs on the quit event (a signal ends the loop), then mark the processes that
// have ended. The loop ends for good once the host process is found gone (its exit was requested).
void RefreshProcessStatus(const RefreshStatusLinks& links);

}  // namespace engine
