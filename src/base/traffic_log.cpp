#include "base/traffic_log.h"

#include <cstdio>
#include <mutex>

#include "base/file.h"
#include "base/module_path.h"
#include "base/os_error.h"
#include "base/text.h"

namespace base {
namespace {

// One stream for the whole process. The mutex makes each line one write and keeps Close from pulling
// the stream out from under a writer.
std::mutex gLogMutex;
constinit base::ScopedStdioFile gLogFile;

// Length of the longest prefix of GBK bytes, at most `limit`, that ends on a character boundary. A lead
// byte (0x81..0xFE) starts a two-byte character.
std::size_t GbkPrefixLength(std::string_view bytes, std::size_t limit) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const std::size_t width = (b >= 0x81 && b <= 0xFE && i + 1 < bytes.size()) ? 2 : 1;
        if (i + width > limit) {
            break;
        }
        i += width;
    }
    return i;
}

}  // namespace

std::string FormatTrafficLogLine(std::u16string_view message, const SystemTime& now) {
    char stamp[128];
    std::snprintf(stamp, sizeof stamp, "[%04u-%02u-%02u %02u:%02u:%02u]", now.year, now.month, now.day,
                  now.hour, now.minute, now.second);
    std::string line(stamp);
    line += Utf16ToGbk(message);
    line.resize(GbkPrefixLength(line, kTrafficLogLineLimit));
    return line;
}

bool OpenTrafficLogAt(std::u16string_view path) {
    std::lock_guard<std::mutex> lock(gLogMutex);
    gLogFile.Reset();
    if (path.empty()) {
        return false;
    }
    gLogFile.Reset(OpenStdioFile(path, "w+"));
    return gLogFile.IsValid();
}

bool OpenTrafficLog() {
    return OpenTrafficLogAt(ProgramPath(u"traffic.log"));
}

void WriteTrafficLog(std::u16string_view message) {
    // A failing step often logs before its caller reports the same failure with the OS error number:
    // the conversion and the file calls here must not change that number in between.
    const std::uint32_t osError = LastOsError();
    const std::string line = FormatTrafficLogLine(message, LocalNow());
    {
        std::lock_guard<std::mutex> lock(gLogMutex);
        if (gLogFile) {
            std::fwrite(line.data(), 1, line.size(), gLogFile.Get());
            std::fflush(gLogFile.Get());
        }
    }
    SetLastOsError(osError);
}

void WriteTrafficLogError(const char* format, std::uint32_t osError) {
    WriteTrafficLog(FormatText(128, format, static_cast<int>(osError)));
}

void CloseTrafficLog() {
    std::lock_guard<std::mutex> lock(gLogMutex);
    gLogFile.Reset();
}

bool IsTrafficLogOpen() {
    std::lock_guard<std::mutex> lock(gLogMutex);
    return gLogFile.IsValid();
}

}  // namespace base
