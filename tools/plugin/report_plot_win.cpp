#include <windows.h>

#include "base/text.h"
#include "base/wide_win.h"
#include "plugin/report_files.h"

namespace console {

bool RunGnuplot(const std::u16string& scriptPath, bool& missing, std::string& error) {
    missing = false;
    wchar_t found[MAX_PATH] = {};
    if (SearchPathW(nullptr, L"gnuplot.exe", nullptr, MAX_PATH, found, nullptr) == 0) {
        missing = true;
        error = "gnuplot.exe is not on the PATH";
        return false;
    }
    std::u16string commandLine = u"\"" + base::FromWide(found) + u"\" \"" + scriptPath + u"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, base::Wide(commandLine.data()), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &info)) {
        error = "could not run gnuplot, error " + std::to_string(GetLastError());
        return false;
    }
    CloseHandle(info.hThread);
    DWORD code = 1;
    const bool ended = WaitForSingleObject(info.hProcess, 120000) == WAIT_OBJECT_0 &&
                       GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    if (!ended || code != 0) {
        error = ended ? "gnuplot failed (exit code " + std::to_string(code) + ")" : "gnuplot did not finish";
        return false;
    }
    return true;
}

}  // namespace console
