#include <fcntl.h>
#include <signal.h>

#include <cerrno>
#include <cstdio>

#include "base/text.h"
#include "engine/proc_read_linux.h"
#include "engine/proc_text_parse.h"
#include "engine/process_source.h"

namespace engine {
namespace {

constexpr std::uint32_t kNoSuchProcess = ESRCH;

std::optional<ProcStat> ReadStat(std::uint32_t pid, std::uint32_t& error) {
    char path[32];
    std::snprintf(path, sizeof path, "/proc/%u/stat", pid);
    std::string text;
    error = ReadProcFile(AT_FDCWD, path, text);
    if (error != 0) {
        return std::nullopt;
    }
    auto stat = ParseProcStat(text);
    if (!stat) {
        error = kNoSuchProcess;
    }
    return stat;
}

// A zombie has ended; only its entry waits for the parent.
bool HasEnded(const ProcStat& stat) {
    return stat.state == 'Z' || stat.state == 'X' || stat.state == 'x';
}

class LinuxProcessSource final : public IProcessSource {
public:
    std::uint32_t QueryImagePath(std::uint32_t pid, std::u16string& path) override {
        path.clear();
        if (pid == 0) {
            return kNoSuchProcess;
        }
        char link[32];
        std::snprintf(link, sizeof link, "/proc/%u/exe", pid);
        std::string target;
        if (const std::uint32_t error = ReadProcLink(AT_FDCWD, link, target); error != 0) {
            return error;
        }
        // The link of a replaced or removed executable carries this suffix; the file name is what counts.
        constexpr std::string_view kDeleted = " (deleted)";
        if (target.size() > kDeleted.size() && target.ends_with(kDeleted)) {
            target.resize(target.size() - kDeleted.size());
        }
        path = base::Utf8ToUtf16(target);
        return 0;
    }

    std::uint32_t QuerySnapshotName(std::uint32_t pid, std::u16string& name) override {
        name.clear();
        std::uint32_t error = 0;
        const auto stat = pid == 0 ? std::nullopt : ReadStat(pid, error);
        if (!stat) {
            return pid == 0 ? kNoSuchProcess : error;
        }
        name = base::Utf8ToUtf16(stat->comm);
        return 0;
    }

    bool IsRunning(std::uint32_t pid, std::uint64_t startStamp) override {
        std::uint32_t error = 0;
        const auto stat = pid == 0 ? std::nullopt : ReadStat(pid, error);
        return stat && !HasEnded(*stat) && (startStamp == 0 || stat->startTime == startStamp);
    }

    std::uint64_t StartStamp(std::uint32_t pid) override {
        std::uint32_t error = 0;
        const auto stat = pid == 0 ? std::nullopt : ReadStat(pid, error);
        return stat ? stat->startTime : 0;
    }

    std::uint32_t KernelPid() const override { return 0xFFFFFFFF; }

    std::uint32_t Terminate(std::uint32_t pid, std::uint64_t startStamp) override {
        if (pid == 0 || pid > 0x7FFFFFFF || !IsRunning(pid, startStamp)) {
            return kCannotOpenProcess;
        }
        if (kill(static_cast<pid_t>(pid), SIGKILL) != 0) {
            return errno == ESRCH || errno == EPERM ? kCannotOpenProcess : static_cast<std::uint32_t>(errno);
        }
        return 0;
    }
};

}  // namespace

std::unique_ptr<IProcessSource> CreateProcessSource() {
    return std::make_unique<LinuxProcessSource>();
}

}  // namespace engine
