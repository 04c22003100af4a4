#pragma once

// The program's end on request: the plugin's ExitMonitor, the end of the accelerator's own process, or
// (Linux) SIGINT/SIGTERM. The first request starts one thread that saves the floating window's settings,
// closes the other windows, asks the shell window to close (which stops the service on the main thread)
// and lets go of the single-instance lock, so that a new monitor may start while this one finishes.
// Later requests do nothing.

#include <atomic>

#include "alarm/program_directory.h"
#include "app/single_instance.h"
#include "base/worker_thread.h"
#include "ui/shell_window.h"

namespace app {

class ExitRequest {
  public:
    ExitRequest(ui::IShellWindow& shell, SingleInstance& instance, alarming::ProgramDirectory directory);
    // Waits a bounded time for the exit thread.
    ~ExitRequest();
    ExitRequest(const ExitRequest&) = delete;
    ExitRequest& operator=(const ExitRequest&) = delete;

    // Any thread, any number of times: only the first starts the exit.
    void Request();
    bool Requested() const { return requested_.load(std::memory_order_acquire); }

  private:
    void Run();

    ui::IShellWindow& shell_;
    SingleInstance& instance_;
    alarming::ProgramDirectory directory_;
    std::atomic<bool> requested_{false};
    base::WorkerThread thread_;
};

// The running program's exit request; nothing before start-up or after the end.
void RequestExit();
void SetProgramExitRequest(ExitRequest* request);

}  // namespace app
