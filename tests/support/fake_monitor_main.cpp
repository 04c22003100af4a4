// kvt_fake_monitor HOST PIPE: the monitor's end of the plugin pipe (the real CCommIF) over a program of
// canned answers, for the harness's own end-to-end test. Totals are 1000 x the request id; it ends with
// exit code 0 after ExitMonitor, 2 when the pipe cannot be opened, 3 after 30 s without an exit.

#include <cstdint>

#include "base/event.h"
#include "base/text.h"
#include "ipc/command_ids.h"
#include "unit/ipc/comm_if_test_util.h"

namespace {

struct CannedProgram : comm_if_test::FakeRequests {
    std::int64_t GetReflux(ipc::Reflux which) override {
        FakeRequests::GetReflux(which);
        return 1000 * (ipc::cmd::kGetLocalDownReflux + 2 * static_cast<std::int64_t>(which));
    }
    void RequestExit() override { exit.Set(); }
    base::Event exit{base::EventReset::kManual, false};
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        return 4;
    }
    CannedProgram program;
    ipc::CCommIF comm(program);
    if (comm.Init(base::Utf8ToUtf16(argv[2])) != 1) {
        return 2;
    }
    comm.PostStartResult(1);
    return program.exit.Wait(30000) ? 0 : 3;
}
