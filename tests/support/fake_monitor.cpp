#include "support/fake_monitor.h"

#include "base/system_time.h"
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

FakeMonitor::FakeMonitor(std::uint32_t closeAfterRequests) : closeAfterRequests_(closeAfterRequests) {}

int FakeMonitor::Run(std::u16string_view pipeName, std::uint32_t waitMs) {
    if (!client_.Open(pipeName)) {
        return kNoPipe;
    }
    // The start result goes first, so that it comes before every answer.
    ipc::CKvtComProtocolFactory start;
    start.BuildStartResponse(1);
    Send(start.GetBuffer(), start.GetLength());
    client_.SetCallback(this, 0);
    if (!client_.StartReading()) {
        return kNoPipe;
    }
    base::Event* events[] = {&exitRequested_, &stop_};
    const int which = base::Event::WaitAny(events, waitMs);
    client_.Close();
    return which == 0 ? kEndedByExitRequest : kStopped;
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
    if (closeAfterRequests_ != 0 && count >= closeAfterRequests_) {
        stop_.Set();
    }
    return 1;
}

}  // namespace testing_support
