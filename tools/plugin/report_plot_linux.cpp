#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>

#include "base/text.h"
#include "plugin/report_files.h"

extern char** environ;

namespace console {

bool RunGnuplot(const std::u16string& scriptPath, bool& missing, std::string& error) {
    missing = false;
    const std::string script = base::Utf16ToUtf8(scriptPath);
    char program[] = "gnuplot";
    char* argv[] = {program, const_cast<char*>(script.c_str()), nullptr};
    // The console blocks SIGINT and SIGTERM in its threads; gnuplot gets the usual mask.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, program, nullptr, &attr, argv, environ);
    posix_spawnattr_destroy(&attr);
    if (spawned != 0) {
        missing = spawned == ENOENT;
        error = std::string("could not run gnuplot: ") + std::strerror(spawned);
        return false;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            error = std::string("waiting for gnuplot: ") + std::strerror(errno);
            return false;
        }
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = "gnuplot failed (exit status " +
                std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")";
        return false;
    }
    return true;
}

}  // namespace console
