#include "ipc/comm_if.h"

#include <iterator>
#include <string>
#include <utility>

#include "base/text.h"
#include "base/traffic_log.h"
#include "ipc/command_ids.h"
#include "ipc/message_header.h"
#include "ipc/protocol_factories.h"

namespace ipc {

CCommIF::CCommIF(IMonitorRequests& requests) : requests_(requests) {
    static constexpr std::pair<std::uint32_t, Handler> kHandlers[] = {
        {cmd::kStart, &CCommIF::OnStart},
        {cmd::kPauseMonitor, &CCommIF::OnPauseMonitor},
        {cmd::kResumeMonitor, &CCommIF::OnResumeMonitor},
        {cmd::kStopAlarm, &CCommIF::OnStopAlarm},
        {cmd::kShowBlackListDlg, &CCommIF::OnShowBlackListDlg},
        {cmd::kShowMainDlg, &CCommIF::OnShowMainDlg},
        {cmd::kShowSuspensionDlg, &CCommIF::OnShowSuspensionDlg},
        {cmd::kSetAccelerateProcess, &CCommIF::OnSetAccelerateProcess},
        {cmd::kSetUnclearProcessName, &CCommIF::OnSetUnclearProcessName},
        {cmd::kGetLocalDownReflux, &CCommIF::OnGetLocalDownReflux},
        {cmd::kGetLocalUpReflux, &CCommIF::OnGetLocalUpReflux},
        {cmd::kGetLocalTotalReflux, &CCommIF::OnGetLocalTotalReflux},
        {cmd::kGetAccelerateDownReflux, &CCommIF::OnGetAccelerateDownReflux},
        {cmd::kGetAccelerateUpReflux, &CCommIF::OnGetAccelerateUpReflux},
        {cmd::kGetAccelerateTotalReflux, &CCommIF::OnGetAccelerateTotalReflux},
        {cmd::kUnnamed31, &CCommIF::OnUnnamed31},
        {cmd::kGetSuspensionDlgState, &CCommIF::OnGetSuspensionDlgState},
        {cmd::kSetSuspensionDlgState, &CCommIF::OnSetSuspensionDlgState},
        {cmd::kExitMonitor, &CCommIF::OnExitMonitor},
        {cmd::kGetProcessDownRefluxByProcessName, &CCommIF::OnGetProcessDownRefluxByProcessName},
        {cmd::kGetProcessDownRefluxByPId, &CCommIF::OnGetProcessDownRefluxByPId},
        {cmd::kGetProcessUpRefluxByProcessName, &CCommIF::OnGetProcessUpRefluxByProcessName},
        {cmd::kGetProcessUpRefluxByPId, &CCommIF::OnGetProcessUpRefluxByPId},
        {cmd::kGetProcessStartTimeByProcessName, &CCommIF::OnGetProcessStartTimeByProcessName},
        {cmd::kGetProcessStartTimeByPId, &CCommIF::OnGetProcessStartTimeByPId},
        {cmd::kGetProcessExitTimeByProcessName, &CCommIF::OnGetProcessExitTimeByProcessName},
        {cmd::kGetProcessExitTimeByPId, &CCommIF::OnGetProcessExitTimeByPId},
        {cmd::kGetProcessTotalTime, &CCommIF::OnGetProcessTotalTime},
        {cmd::kGetFirstAccelerateStartTime, &CCommIF::OnGetFirstAccelerateStartTime},
        {cmd::kGetLastAccelerateExitTime, &CCommIF::OnGetLastAccelerateExitTime},
        {cmd::kGetProcessDownRefluxBetweenTimeByName, &CCommIF::OnGetProcessDownRefluxBetweenTimeByName},
        {cmd::kGetProcessDownRefluxBetweenTimeById, &CCommIF::OnGetProcessDownRefluxBetweenTimeById},
        {cmd::kGetProcessUpRefluxBetweenTimeByName, &CCommIF::OnGetProcessUpRefluxBetweenTimeByName},
        {cmd::kGetProcessUpRefluxBetweenTimeById, &CCommIF::OnGetProcessUpRefluxBetweenTimeById},
        {cmd::kGetAlarmState, &CCommIF::OnGetAlarmState},
        {cmd::kSetAlarmState, &CCommIF::OnSetAlarmState},
        {cmd::kSetAccelerateState, &CCommIF::OnSetAccelerateState},
        {cmd::kSetAccelerateGameInfo, &CCommIF::OnSetAccelerateGameInfo},
        {cmd::kGetUnattributedReflux, &CCommIF::OnGetUnattributedReflux},
        {cmd::kSubscribeAlarms, &CCommIF::OnSubscribeAlarms},
    };
    static_assert(std::size(kHandlers) == 40);
    handlers_.insert(std::begin(kHandlers), std::end(kHandlers));
}

CCommIF::~CCommIF() {
    DestroyClient();
}

void CCommIF::DestroyClient() {
    // The client's destruction signals its reader to stop and waits for it. A handler still running on
    // that reader writes through client_, so the pointer changes only once the reader is gone.
    if (client_ != nullptr) {
        client_.get_deleter()(client_.get());
        static_cast<void>(client_.release());
    }
}

std::uint32_t CCommIF::OnRead(const std::uint8_t* data, std::uint32_t byteCount, std::uintptr_t) {
    const Bytes message(data, data != nullptr ? byteCount : 0);
    if (!CheckFrame(message)) {
        return 0;
    }
    Dispatch(message);
    return 1;
}

std::uint32_t CCommIF::Init(std::u16string_view pipeName) {
    DestroyClient();
    client_ = NewClient();
    // A client that failed to open stays: it holds the error, and writes on it simply fail.
    if (!client_->Open(pipeName)) {
        return 0;
    }
    client_->SetCallback(this, 0);
    return client_->StartReading() == 1 ? 1 : 0;
}

std::unique_ptr<CNamedPipeClientCallBackMode> CCommIF::NewClient() {
    return std::make_unique<CNamedPipeClientCallBackMode>();
}

std::uint32_t CCommIF::Dispatch(Bytes message) {
    const ParsedRequest request = ParseRequest(message);
    if (request.status == ParseStatus::kBadFrame || request.status == ParseStatus::kUnknownId) {
        return 1;
    }
    const auto handler = handlers_.find(request.id);
    if (handler != handlers_.end()) {
        (this->*handler->second)(message, request);
    }
    return 1;
}

void CCommIF::Send(const CKvtComProtocolFactory& message, Outgoing kind) {
    if (client_ == nullptr || message.GetLength() == 0) {
        return;
    }
    // Once the pipe is full, a further wait would only hold up the requests queued behind this one.
    const bool stalled = stalled_.load(std::memory_order_relaxed);
    const std::uint32_t waitMs = kind == Outgoing::kAnswer && !stalled ? kAnswerWaitMs : 0;
    std::uint32_t written = 0;
    const std::uint32_t error =
        client_->WriteWithin(message.GetBuffer(), message.GetLength(), &written, waitMs);
    if (error == 0 && stalled) {
        NoteTaken();
    }
    // A closed or broken pipe fails as it always has; only a full one drops.
    if (error == kPipeErrorWaitTimeout) {
        NoteDropped(kind);
    }
}

void CCommIF::NoteDropped(Outgoing kind) {
    (kind == Outgoing::kPush ? droppedPushes_ : droppedAnswers_).fetch_add(1, std::memory_order_relaxed);
    std::lock_guard<std::mutex> lock(stallMutex_);
    ++(kind == Outgoing::kPush ? stallPushes_ : stallAnswers_);
    if (!stalled_.exchange(true, std::memory_order_relaxed)) {
        base::WriteTrafficLog(u"plugin pipe full: messages to the plugin are dropped\n");
    }
}

void CCommIF::NoteTaken() {
    std::lock_guard<std::mutex> lock(stallMutex_);
    if (!stalled_.exchange(false, std::memory_order_relaxed)) {
        return;
    }
    const std::string line = "plugin pipe read again: " + std::to_string(stallPushes_) + " pushes and " +
                             std::to_string(stallAnswers_) + " answers dropped\n";
    base::WriteTrafficLog(base::Utf8ToUtf16(line));
    stallPushes_ = 0;
    stallAnswers_ = 0;
}

void CCommIF::PushTotals(std::uint64_t localDown, std::uint64_t localUp, std::uint64_t accelerateDown,
                         std::uint64_t accelerateUp) {
    CPostLocalDownRefluxProtocolFactory localDownMessage;
    localDownMessage.BuildPostLocalDownReflux(localDown);
    Push(localDownMessage);
    CPostLocalUpRefluxProtocolFactory localUpMessage;
    localUpMessage.BuildPostLocalUpReflux(localUp);
    Push(localUpMessage);
    CPostAccelerateDownRefluxProtocolFactory accelerateDownMessage;
    accelerateDownMessage.BuildPostAccelerateDownReflux(accelerateDown);
    Push(accelerateDownMessage);
    CPostAccelerateUpRefluxProtocolFactory accelerateUpMessage;
    accelerateUpMessage.BuildPostAccelerateUpReflux(accelerateUp);
    Push(accelerateUpMessage);
}

void CCommIF::PostStartResult(std::uint8_t result) {
    CStartResponseProtocolFactory message;
    message.BuildStartResponse(result);
    Push(message);
}

bool CCommIF::PostProcessListEntry(const engine::ProcessListEntry& entry) {
    if (client_ == nullptr) {
        return false;
    }
    CPostProcessListRefluxProtocolFactory message;
    message.BuildPostProcessListReflux(entry);
    Push(message);
    return true;
}

void CCommIF::PostProcessList(std::span<const engine::ProcessListEntry> entries) {
    std::uint32_t index = 0;
    for (const engine::ProcessListEntry& given : entries) {
        engine::ProcessListEntry entry = given;
        entry.sequence = engine::ProcessListSequenceOf(index);
        entry.index = index;
        PostProcessListEntry(entry);
        ++index;
    }
}

void CCommIF::PostAlarmRecord(const engine::SpeedAlarmRecord& record) {
    if (!alarmsSubscribed_.load(std::memory_order_relaxed)) {
        return;
    }
    CPostAlarmRecordProtocolFactory message;
    message.BuildPostAlarmRecord(record);
    Push(message);
}

}  // namespace ipc
