#include "app/exit_request.h"

#include <chrono>
#include <thread>

#include "alarm/settings.h"
#include "base/traffic_log.h"

namespace app {
namespace {

constexpr std::uint32_t kThreadWaitMs = 2000;
constexpr auto kWindowsCloseTime = std::chrono::milliseconds(100);

std::atomic<ExitRequest*> programExitRequest{nullptr};

}  // namespace

ExitRequest::ExitRequest(ui::IShellWindow& shell, SingleInstance& instance,
                         alarming::ProgramDirectory directory)
    : shell_(shell), instance_(instance), directory_(std::move(directory)) {}

ExitRequest::~ExitRequest() {
    thread_.Join(kThreadWaitMs);
}

void ExitRequest::Request() {
    bool expected = false;
    if (!requested_.compare_exchange_strong(expected, true, std::memory_order_acq_rel)) {
        return;
    }
    if (!thread_.Start([this] { Run(); })) {
        base::WriteTrafficLogError("Exit thread failed to start, error no = %u \n", thread_.LastError());
    }
}

void ExitRequest::Run() {
    alarming::WriteSuspensionSettings(directory_, alarming::ShowSuspension.load(std::memory_order_relaxed),
                                      shell_.Origin());
    shell_.CloseOtherWindows();
    std::this_thread::sleep_for(kWindowsCloseTime);
    if (shell_.IsCreated()) {
        shell_.CloseOwnedPopups();
        shell_.PostClose();
    }
    instance_.Release();
}

void RequestExit() {
    if (ExitRequest* request = programExitRequest.load(std::memory_order_acquire); request != nullptr) {
        request->Request();
    }
}

void SetProgramExitRequest(ExitRequest* request) {
    programExitRequest.store(request, std::memory_order_release);
}

}  // namespace app
