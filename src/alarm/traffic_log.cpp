#include "alarm/traffic_log.h"

#include <cstdio>
#include <mutex>

#include "base/file.h"
#include "base/module_path.h"
#include "base/text.h"

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

std::string FormatTrafficLogLine(std::u16string_view message, const base::SystemTime& now) {
    char stamp[128];
    std::snprintf(stamp, sizeof stamp, "[%04u-%02u-%02u %02u:%02u:%02u]", now.year, now.month, now.day, now.hour,
                  now.minute, now.second);
    std::string line(stamp);
    line += base::Utf16ToGbk(message);
    line.resize(GbkPrefixLength(line, kTrafficLogLineLimit));
    return line;
}

bool OpenTrafficLogAt(std::u16string_view path) {
    std::lock_guard<std::mutex> lock(gLogMutex);
    gLogFile.Reset();
    if (path.empty()) {
        return false;
    }
    gLogFile.Reset(base::OpenStdioFile(path, "w+"));
    return gLogFile.IsValid();
}

bool OpenTrafficLog() { return OpenTrafficLogAt(base::ProgramPath(u"traffic.log")); }

void WriteTrafficLog(std::u16string_view message) {
    const std::string line = FormatTrafficLogLine(message, base::LocalNow());
    std::lock_guard<std::mutex> lock(gLogMutex);
    if (!gLogFile) {
        return;
    }
    std::fwrite(line.data(), 1, line.size(), gLogFile.Get());
    std::fflush(gLogFile.Get());
}

void CloseTrafficLog() {
    std::lock_guard<std::mutex> lock(gLogMutex);
    gLogFile.Reset();
}

bool IsTrafficLogOpen() {
    std::lock_guard<std::mutex> lock(gLogMutex);
    return gLogFile.IsValid();
}
