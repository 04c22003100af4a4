#include "support/fake_monitor.h"

#include <string>
#include <vector>

#include "base/system_time.h"
#include "engine/process_list_entry.h"
#include "ipc/command_ids.h"
#include "ipc/protocol_factories.h"
#include "ipc/request_parser.h"

namespace testing_support {
namespace {

namespace cmd = ipc::cmd;

constexpr std::uint64_t kFailure = ~std::uint64_t{0};
const base::SystemTime kCannedTime{2026, 12, 0, 6, 10, 0, 0, 0};

std::uint64_t SecondsBetween(const base::SystemTime& from, const base::SystemTime& to) {
    const std::int64_t seconds = base::LocalToCalendarSeconds(to) - base::LocalToCalendarSeconds(from);
    return seconds < 0 ? kFailure : static_cast<std::uint64_t>(seconds);
}

std::uint8_t CountNames(const ipc::NameListArgs& a) {
    if (a.separator.empty() || a.names.empty()) {
        return a.names.empty() ? 0 : 1;
    }
    std::uint8_t count = 1;
    for (std::size_t at = a.names.find(a.separator); at != a.names.npos;
         at = a.names.find(a.separator, at + a.separator.size())) {
        ++count;
    }
    return count;
}

// The message one typed builder made.
template <typename Factory, typename Build>
std::vector<std::uint8_t> Made(Build build) {
    Factory f;
    build(f);
    return {f.GetBytes().begin(), f.GetBytes().end()};
}

#define MADE(Message, args) Made<ipc::C##Message##ProtocolFactory>([&](auto& f) { f.Build##Message args; })

// The answer of one request, empty for requests that have none.
std::vector<std::uint8_t> Answer(const ipc::ParsedRequest& r) {
    const bool ok = r.Ok();
    const auto name = [&]() -> const std::u16string& {
        return std::holds_alternative<ipc::NameArgs>(r.args) ? std::get<ipc::NameArgs>(r.args).name
                                                             : std::get<ipc::NameTimeRangeArgs>(r.args).name;
    };
    const auto pid = [&] { return std::get<ipc::U32Args>(r.args).value; };
    switch (r.id) {
        case cmd::kStart:
            return MADE(StartResponse, (0));
        case cmd::kStopAlarm:
            return MADE(StopAlarmResponse, (ok ? 1 : 0));
        case cmd::kSetAccelerateProcess:
            return MADE(SetAccelerateProcessResponse,
                        (ok ? CountNames(std::get<ipc::NameListArgs>(r.args)) : 0));
        case cmd::kSetUnclearProcessName:
            return MADE(SetUnclearProcessNameResponse, (ok ? 1 : 0));
        case cmd::kGetLocalDownReflux:
            return MADE(GetLocalDownRefluxResponse, (1000 * r.id));
        case cmd::kGetLocalUpReflux:
            return MADE(GetLocalUpRefluxResponse, (1000 * r.id));
        case cmd::kGetLocalTotalReflux:
            return MADE(GetLocalTotalRefluxResponse, (1000 * r.id));
        case cmd::kGetAccelerateDownReflux:
            return MADE(GetAccelerateDownRefluxResponse, (1000 * r.id));
        case cmd::kGetAccelerateUpReflux:
            return MADE(GetAccelerateUpRefluxResponse, (1000 * r.id));
        case cmd::kGetAccelerateTotalReflux:
            return MADE(GetAccelerateTotalRefluxResponse, (1000 * r.id));
        case cmd::kGetSuspensionDlgState:
            return MADE(GetSuspensionDlgStateResponse, (1));
        case cmd::kGetProcessDownRefluxByProcessName:
            return MADE(GetProcessDownRefluxByProcessNameResponse, (ok ? 100 * name().size() : kFailure));
        case cmd::kGetProcessUpRefluxByProcessName:
            return MADE(GetProcessUpRefluxByProcessNameResponse, (ok ? 100 * name().size() : kFailure));
        case cmd::kGetProcessDownRefluxByPId:
            return MADE(GetProcessDownRefluxByPIdResponse, (ok ? 10 * std::uint64_t{pid()} : kFailure));
        case cmd::kGetProcessUpRefluxByPId:
            return MADE(GetProcessUpRefluxByPIdResponse, (ok ? 10 * std::uint64_t{pid()} : kFailure));
        case cmd::kGetProcessStartTimeByProcessName:
            return MADE(GetProcessStartTimeByProcessNameResponse,
                        (ok ? 1 : -1, ok ? kCannedTime : base::SystemTime{}));
        case cmd::kGetProcessStartTimeByPId:
            return MADE(GetProcessStartTimeByPIdResponse,
                        (ok ? 1 : -1, ok ? kCannedTime : base::SystemTime{}));
        case cmd::kGetProcessExitTimeByProcessName:
            return MADE(GetProcessExitTimeByProcessNameResponse,
                        (ok ? 1 : -1, ok ? kCannedTime : base::SystemTime{}));
        case cmd::kGetProcessExitTimeByPId:
            return MADE(GetProcessExitTimeByPIdResponse,
                        (ok ? 1 : -1, ok ? kCannedTime : base::SystemTime{}));
        case cmd::kGetProcessTotalTime:
            return MADE(GetProcessTotalTimeResponse, (ok ? 3600 : 0));
        case cmd::kGetFirstAccelerateStartTime:
            return MADE(GetFirstAccelerateStartTimeResponse, (1, kCannedTime));
        case cmd::kGetLastAccelerateExitTime:
            return MADE(GetLastAccelerateExitTimeResponse, (1, kCannedTime));
        case cmd::kGetProcessDownRefluxBetweenTimeByName:
        case cmd::kGetProcessUpRefluxBetweenTimeByName: {
            const std::uint64_t bytes = ok ? SecondsBetween(std::get<ipc::NameTimeRangeArgs>(r.args).from,
                                                            std::get<ipc::NameTimeRangeArgs>(r.args).to)
                                           : kFailure;
            return r.id == cmd::kGetProcessDownRefluxBetweenTimeByName
                       ? MADE(GetProcessDownRefluxBetweenTimeByNameResponse, (bytes))
                       : MADE(GetProcessUpRefluxBetweenTimeByNameResponse, (bytes));
        }
        case cmd::kGetProcessDownRefluxBetweenTimeById:
        case cmd::kGetProcessUpRefluxBetweenTimeById: {
            const std::uint64_t bytes = ok ? SecondsBetween(std::get<ipc::PidTimeRangeArgs>(r.args).from,
                                                            std::get<ipc::PidTimeRangeArgs>(r.args).to)
                                           : kFailure;
            return r.id == cmd::kGetProcessDownRefluxBetweenTimeById
                       ? MADE(GetProcessDownRefluxBetweenTimeByIdResponse, (bytes))
                       : MADE(GetProcessUpRefluxBetweenTimeByIdResponse, (bytes));
        }
        case cmd::kGetAlarmState:
            return MADE(GetAlarmStateResponse, (ok ? 1 : 0));
        default:
            return {};
    }
}

}  // namespace

FakeMonitor::FakeMonitor(std::uint32_t closeAfterRequests)
    : FakeMonitor(FakeMonitorOptions{.closeAfterRequests = closeAfterRequests}) {}

FakeMonitor::FakeMonitor(const FakeMonitorOptions& options) : options_(options) {}

int FakeMonitor::Run(std::u16string_view pipeName, std::uint32_t waitMs) {
    if (!client_.Open(pipeName)) {
        return kNoPipe;
    }
    // The start result goes first, so that it comes before every answer.
    ipc::CStartResponseProtocolFactory start;
    start.BuildStartResponse(options_.startResult);
    Send(start.GetBuffer(), start.GetLength());
    if (options_.startResult == 0) {
        // The monitor's exit code is 0 on every path, a failed start included.
        client_.Close();
        return kEndedByExitRequest;
    }
    client_.SetCallback(this, 0);
    if (!client_.StartReading()) {
        return kNoPipe;
    }
    base::Event* events[] = {&exitRequested_, &stop_};
    int which = base::Event::kTimedOut;
    if (options_.totalsPeriodMs == 0) {
        which = base::Event::WaitAny(events, waitMs);
    } else {
        // Rounds until an event or the time is up.
        for (std::uint32_t round = 1, waited = 0; which == base::Event::kTimedOut && waited < waitMs;
             ++round) {
            which = base::Event::WaitAny(events, options_.totalsPeriodMs);
            waited += options_.totalsPeriodMs;
            if (which == base::Event::kTimedOut) {
                PushRound(round);
            }
        }
    }
    client_.Close();
    return which == 0 ? kEndedByExitRequest : kStopped;
}

void FakeMonitor::PushRound(std::uint32_t round) {
    const std::uint64_t figures[4] = {1000ull * round, 2000ull * round, 100ull * round, 200ull * round};
    for (const std::vector<std::uint8_t>& push :
         {MADE(PostLocalDownReflux, (figures[0])), MADE(PostLocalUpReflux, (figures[1])),
          MADE(PostAccelerateDownReflux, (figures[2])), MADE(PostAccelerateUpReflux, (figures[3]))}) {
        Send(push.data(), static_cast<std::uint32_t>(push.size()));
    }
    if (options_.listEveryRounds == 0 || round % options_.listEveryRounds != 0) {
        return;
    }
    const std::u16string names[] = {u"GameClient.exe", u"Downloader.exe(已关闭)"};
    for (std::uint32_t i = 0; i < 2; ++i) {
        engine::ProcessListEntry entry;
        entry.sequence = i == 0 ? 1 : 2;
        entry.index = i;
        entry.state = i == 0 ? 2 : 1;
        entry.pid = 100 + i;
        entry.bytesUp = 10ull * round;
        entry.bytesDown = 20ull * round;
        entry.name = names[i];
        ipc::CPostProcessListRefluxProtocolFactory list;
        list.BuildPostProcessListReflux(entry);
        Send(list.GetBuffer(), list.GetLength());
    }
}

void FakeMonitor::Stop() {
    stop_.Set();
}

void FakeMonitor::Send(const std::uint8_t* data, std::uint32_t size) {
    std::uint32_t written = 0;
    client_.Write(data, size, &written);
}

std::uint32_t FakeMonitor::OnRead(const std::uint8_t* data, std::uint32_t byteCount, std::uintptr_t) {
    const ipc::ParsedRequest request = ipc::ParseRequest({data, byteCount});
    if (request.status == ipc::ParseStatus::kBadFrame || request.status == ipc::ParseStatus::kUnknownId) {
        return 0;
    }
    if (request.id == cmd::kExitMonitor) {
        exitRequested_.Set();
        return 1;
    }
    const std::uint32_t count = ++requests_;
    const std::vector<std::uint8_t> answer = Answer(request);
    if (!answer.empty()) {
        Send(answer.data(), static_cast<std::uint32_t>(answer.size()));
    }
    ipc::CPostLocalDownRefluxProtocolFactory push;
    push.BuildPostLocalDownReflux(count);
    Send(push.GetBuffer(), push.GetLength());
    if (options_.closeAfterRequests != 0 && count >= options_.closeAfterRequests) {
        stop_.Set();
    }
    return 1;
}

}  // namespace testing_support
