#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>

#include "engine/plugin_channel.h"
#include "ipc/monitor_requests.h"
#include "ipc/named_pipe_client.h"
#include "ipc/pipe_read_callback.h"
#include "ipc/request_parser.h"
#include "ipc/wire_format.h"

namespace ipc {

class CKvtComProtocolFactory;

// The monitor's end of the plugin pipe: decodes each request on the pipe's reader thread, asks the
// program through IMonitorRequests and answers on the same pipe; carries the monitor's own pushes.
//
// Init and destruction replace the pipe client without a lock, so no push may run meanwhile: the engine
// calls Init before its workers start and destroys this object after they have ended. Nothing here
// holds a lock while writing; the transport makes concurrent writes one at a time.
//
// A plugin that stops reading must not hold anybody up: a push goes out only if the pipe takes it at
// once, an answer waits at most kAnswerWaitMs, and what the pipe does not take is dropped and counted.
// While the pipe stays full (from the first drop to the next message it takes) nothing waits at all;
// the traffic log gets one line when dropping starts and one with the counts when it ends.
class CCommIF : public IPipeReadCallBack, public engine::IPluginChannel {
  public:
    explicit CCommIF(IMonitorRequests& requests);
    // Stops the pipe's reader before anything it could call goes.
    ~CCommIF() override;
    CCommIF(const CCommIF&) = delete;
    CCommIF& operator=(const CCommIF&) = delete;

    // 0 and the message dropped when it is not one whole message as its length field says; else 1.
    std::uint32_t OnRead(const std::uint8_t* data, std::uint32_t byteCount, std::uintptr_t context) override;
    // The client end never accepts anyone; the answer matters only to a server.
    std::uint32_t GetBrokenPipePolicy() override { return kBrokenPipeAcceptNext; }
    // Replaces any previous pipe with a new connection to pipeName and starts reading it: 1, or 0 when
    // the pipe cannot be opened or read.
    [[nodiscard]] virtual std::uint32_t Init(std::u16string_view pipeName);
    // Runs the handler of the message's command id, if it has one; always 1.
    virtual std::uint32_t Dispatch(Bytes message);

    // The four totals of a statistics tick: ids 77, 78, 80, 81 in that order.
    void PushTotals(std::uint64_t localDown, std::uint64_t localUp, std::uint64_t accelerateDown,
                    std::uint64_t accelerateUp) override;
    // The unasked start result (id 2) of the start-up sequence.
    void PostStartResult(std::uint8_t result) override;
    // One process of a process list round (id 83), sent as given.
    // True while a pipe is open to send it on.
    bool PostProcessListEntry(const engine::ProcessListEntry& entry) override;
    // One whole round in order; each entry goes out with the sequence and index of its position.
    void PostProcessList(std::span<const engine::ProcessListEntry> entries);
    // One record of a raised alarm (id 102), only while the plugin has subscribed (request 101).
    void PostAlarmRecord(const engine::SpeedAlarmRecord& record) override;

    // How long an answer waits for room in a full pipe before it is dropped.
    static constexpr std::uint32_t kAnswerWaitMs = 1000;
    // Messages the pipe did not take, since construction.
    std::uint64_t DroppedPushes() const { return droppedPushes_.load(std::memory_order_relaxed); }
    std::uint64_t DroppedAnswers() const { return droppedAnswers_.load(std::memory_order_relaxed); }

  protected:
    // The pipe client Init connects; a test may hand in another.
    virtual std::unique_ptr<CNamedPipeClientCallBackMode> NewClient();

  private:
    // A handler gets the message as received and as the parser read it (status kOk or kMalformed).
    using Handler = std::uint32_t (CCommIF::*)(Bytes message, const ParsedRequest& request);

    enum class Outgoing { kPush, kAnswer };

    void DestroyClient();
    // Writes an answer; nothing when the build failed or before Init.
    void Write(const CKvtComProtocolFactory& message) { Send(message, Outgoing::kAnswer); }
    // Writes a push, only if the pipe takes it at once.
    void Push(const CKvtComProtocolFactory& message) { Send(message, Outgoing::kPush); }
    void Send(const CKvtComProtocolFactory& message, Outgoing kind);
    void NoteDropped(Outgoing kind);
    void NoteTaken();

    std::uint32_t OnStart(Bytes, const ParsedRequest&);
    std::uint32_t OnPauseMonitor(Bytes, const ParsedRequest&);
    std::uint32_t OnResumeMonitor(Bytes, const ParsedRequest&);
    std::uint32_t OnStopAlarm(Bytes, const ParsedRequest&);
    std::uint32_t OnShowBlackListDlg(Bytes, const ParsedRequest&);
    std::uint32_t OnShowMainDlg(Bytes, const ParsedRequest&);
    std::uint32_t OnShowSuspensionDlg(Bytes, const ParsedRequest&);
    std::uint32_t OnSetAccelerateProcess(Bytes, const ParsedRequest&);
    std::uint32_t OnSetUnclearProcessName(Bytes, const ParsedRequest&);
    std::uint32_t OnGetLocalDownReflux(Bytes, const ParsedRequest&);
    std::uint32_t OnGetLocalUpReflux(Bytes, const ParsedRequest&);
    std::uint32_t OnGetLocalTotalReflux(Bytes, const ParsedRequest&);
    std::uint32_t OnGetAccelerateDownReflux(Bytes, const ParsedRequest&);
    std::uint32_t OnGetAccelerateUpReflux(Bytes, const ParsedRequest&);
    std::uint32_t OnGetAccelerateTotalReflux(Bytes, const ParsedRequest&);
    std::uint32_t OnUnnamed31(Bytes, const ParsedRequest&);
    std::uint32_t OnGetSuspensionDlgState(Bytes, const ParsedRequest&);
    std::uint32_t OnSetSuspensionDlgState(Bytes, const ParsedRequest&);
    std::uint32_t OnExitMonitor(Bytes, const ParsedRequest&);
    std::uint32_t OnGetProcessDownRefluxByProcessName(Bytes, const ParsedRequest&);
    std::uint32_t OnGetProcessDownRefluxByPId(Bytes, const ParsedRequest&);
    std::uint32_t OnGetProcessUpRefluxByProcessName(Bytes, const ParsedRequest&);
    std::uint32_t OnGetProcessUpRefluxByPId(Bytes, const ParsedRequest&);
    std::uint32_t OnGetProcessStartTimeByProcessName(Bytes, const ParsedRequest&);
    std::uint32_t OnGetProcessStartTimeByPId(Bytes, const ParsedRequest&);
    std::uint32_t OnGetProcessExitTimeByProcessName(Bytes, const ParsedRequest&);
    std::uint32_t OnGetProcessExitTimeByPId(Bytes, const ParsedRequest&);
    std::uint32_t OnGetProcessTotalTime(Bytes, const ParsedRequest&);
    std::uint32_t OnGetFirstAccelerateStartTime(Bytes, const ParsedRequest&);
    std::uint32_t OnGetLastAccelerateExitTime(Bytes, const ParsedRequest&);
    std::uint32_t OnGetProcessDownRefluxBetweenTimeByName(Bytes, const ParsedRequest&);
    std::uint32_t OnGetProcessDownRefluxBetweenTimeById(Bytes, const ParsedRequest&);
    std::uint32_t OnGetProcessUpRefluxBetweenTimeByName(Bytes, const ParsedRequest&);
    std::uint32_t OnGetProcessUpRefluxBetweenTimeById(Bytes, const ParsedRequest&);
    std::uint32_t OnGetAlarmState(Bytes, const ParsedRequest&);
    std::uint32_t OnGetUnattributedReflux(Bytes, const ParsedRequest&);
    std::uint32_t OnSubscribeAlarms(Bytes, const ParsedRequest&);
    std::uint32_t OnSetAlarmState(Bytes, const ParsedRequest&);
    std::uint32_t OnSetAccelerateState(Bytes, const ParsedRequest&);
    std::uint32_t OnSetAccelerateGameInfo(Bytes, const ParsedRequest&);

    IMonitorRequests& requests_;
    std::atomic<std::uint64_t> droppedPushes_{0};
    std::atomic<std::uint64_t> droppedAnswers_{0};
    // Set by the reader thread, read by the alarm thread.
    std::atomic<bool> alarmsSubscribed_{false};
    // From the first drop to the next message the pipe takes; the counts are this stall's.
    std::atomic<bool> stalled_{false};
    std::mutex stallMutex_;
    std::uint64_t stallPushes_ = 0;
    std::uint64_t stallAnswers_ = 0;
    // Filled once by the constructor with the 38 request ids 1, 3, ..., 75.
    std::map<std::uint32_t, Handler> handlers_;
    // Null before Init. Last: destroyed first, so its reader is gone before the handlers are.
    std::unique_ptr<CNamedPipeClientCallBackMode> client_;
};

}  // namespace ipc
