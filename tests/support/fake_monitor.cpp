#include "support/fake_monitor.h"

#include <string>

#include "base/system_time.h"
#include "engine/process_list_entry.h"
#include "ipc/command_ids.h"
#include "ipc/protocol_factory.h"
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

// The answer of one request, empty (length 0) for requests that have none.
void BuildAnswer(const ipc::ParsedRequest& r, ipc::CKvtComProtocolFactory& f) {
    const bool ok = r.Ok();
    const auto name = [&]() -> const std::u16string& {
        return std::holds_alternative<ipc::NameArgs>(r.args) ? std::get<ipc::NameArgs>(r.args).name
                                                             : std::get<ipc::NameTimeRangeArgs>(r.args).name;
    };
    const auto pid = [&] { return std::get<ipc::U32Args>(r.args).value; };
    switch (r.id) {
        case cmd::kStart:
            f.BuildStartResponse(0);
            break;
        case cmd::kStopAlarm:
            f.BuildStopAlarmResponse(ok ? 1 : 0);
            break;
        case cmd::kSetAccelerateProcess:
            f.BuildSetAccelerateProcessResponse(ok ? CountNames(std::get<ipc::NameListArgs>(r.args)) : 0);
            break;
        case cmd::kSetUnclearProcessName:
            f.BuildSetUnclearProcessNameResponse(ok ? 1 : 0);
            break;
        case cmd::kGetLocalDownReflux:
            f.BuildGetLocalDownRefluxResponse(1000 * r.id);
            break;
        case cmd::kGetLocalUpReflux:
            f.BuildGetLocalUpRefluxResponse(1000 * r.id);
            break;
        case cmd::kGetLocalTotalReflux:
            f.BuildGetLocalTotalRefluxResponse(1000 * r.id);
            break;
        case cmd::kGetAccelerateDownReflux:
            f.BuildGetAccelerateDownRefluxResponse(1000 * r.id);
            break;
        case cmd::kGetAccelerateUpReflux:
            f.BuildGetAccelerateUpRefluxResponse(1000 * r.id);
            break;
        case cmd::kGetAccelerateTotalReflux:
            f.BuildGetAccelerateTotalRefluxResponse(1000 * r.id);
            break;
        case cmd::kGetSuspensionDlgState:
            f.BuildGetSuspensionDlgStateResponse(1);
            break;
        case cmd::kGetProcessDownRefluxByProcessName:
            f.BuildGetProcessDownRefluxByProcessNameResponse(ok ? 100 * name().size() : kFailure);
            break;
        case cmd::kGetProcessUpRefluxByProcessName:
            f.BuildGetProcessUpRefluxByProcessNameResponse(ok ? 100 * name().size() : kFailure);
            break;
        case cmd::kGetProcessDownRefluxByPId:
            f.BuildGetProcessDownRefluxByPIdResponse(ok ? 10 * std::uint64_t{pid()} : kFailure);
            break;
        case cmd::kGetProcessUpRefluxByPId:
            f.BuildGetProcessUpRefluxByPIdResponse(ok ? 10 * std::uint64_t{pid()} : kFailure);
            break;
        case cmd::kGetProcessStartTimeByProcessName:
            f.BuildGetProcessStartTimeByProcessNameResponse(ok ? 1 : -1,
                                                            ok ? kCannedTime : base::SystemTime{});
            break;
        case cmd::kGetProcessStartTimeByPId:
            f.BuildGetProcessStartTimeByPIdResponse(ok ? 1 : -1, ok ? kCannedTime : base::SystemTime{});
            break;
        case cmd::kGetProcessExitTimeByProcessName:
            f.BuildGetProcessExitTimeByProcessNameResponse(ok ? 1 : -1,
                                                           ok ? kCannedTime : base::SystemTime{});
            break;
        case cmd::kGetProcessExitTimeByPId:
            f.BuildGetProcessExitTimeByPIdResponse(ok ? 1 : -1, ok ? kCannedTime : base::SystemTime{});
            break;
        case cmd::kGetProcessTotalTime:
            f.BuildGetProcessTotalTimeResponse(ok ? 3600 : 0);
            break;
        case cmd::kGetFirstAccelerateStartTime:
            f.BuildGetFirstAccelerateStartTimeResponse(1, kCannedTime);
            break;
        case cmd::kGetLastAccelerateExitTime:
            f.BuildGetLastAccelerateExitTimeResponse(1, kCannedTime);
            break;
        case cmd::kGetProcessDownRefluxBetweenTimeByName:
        case cmd::kGetProcessUpRefluxBetweenTimeByName: {
            const std::uint64_t bytes = ok ? SecondsBetween(std::get<ipc::NameTimeRangeArgs>(r.args).from,
                                                            std::get<ipc::NameTimeRangeArgs>(r.args).to)
                                           : kFailure;
            r.id == cmd::kGetProcessDownRefluxBetweenTimeByName
                ? f.BuildGetProcessDownRefluxBetweenTimeByNameResponse(bytes)
                : f.BuildGetProcessUpRefluxBetweenTimeByNameResponse(bytes);
            break;
        }
        case cmd::kGetProcessDownRefluxBetweenTimeById:
        case cmd::kGetProcessUpRefluxBetweenTimeById: {
            const std::uint64_t bytes = ok ? SecondsBetween(std::get<ipc::PidTimeRangeArgs>(r.args).from,
                                                            std::get<ipc::PidTimeRangeArgs>(r.args).to)
                                           : kFailure;
            r.id == cmd::kGetProcessDownRefluxBetweenTimeById
                ? f.BuildGetProcessDownRefluxBetweenTimeByIdResponse(bytes)
                : f.BuildGetProcessUpRefluxBetweenTimeByIdResponse(bytes);
            break;
        }
        case cmd::kGetAlarmState:
            f.BuildGetAlarmStateResponse(ok ? 1 : 0);
            break;
        default:
            break;
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
    ipc::CKvtComProtocolFactory start;
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
    ipc::CKvtComProtocolFactory pushes[4];
    pushes[0].BuildPostLocalDownReflux(figures[0]);
    pushes[1].BuildPostLocalUpReflux(figures[1]);
    pushes[2].BuildPostAccelerateDownReflux(figures[2]);
    pushes[3].BuildPostAccelerateUpReflux(figures[3]);
    for (auto& push : pushes) {
        Send(push.GetBuffer(), push.GetLength());
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
        ipc::CKvtComProtocolFactory list;
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
    ipc::CKvtComProtocolFactory answer;
    BuildAnswer(request, answer);
    if (answer.GetLength() > 0) {
        Send(answer.GetBuffer(), answer.GetLength());
    }
    ipc::CKvtComProtocolFactory push;
    push.BuildPostLocalDownReflux(count);
    Send(push.GetBuffer(), push.GetLength());
    if (options_.closeAfterRequests != 0 && count >= options_.closeAfterRequests) {
        stop_.Set();
    }
    return 1;
}

}  // namespace testing_support
