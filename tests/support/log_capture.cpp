#include "support/log_capture.h"

#include <sstream>
#include <stdexcept>

#include "base/text.h"
#include "base/traffic_log.h"

namespace testing_support {

namespace {
constexpr std::size_t kStampBytes = 21;  // "[YYYY-MM-DD hh:mm:ss]"

std::u16string PathOf(const std::filesystem::path& p) {
    const auto u8 = p.u8string();
    return base::Utf8ToUtf16(std::string(u8.begin(), u8.end()));
}
}  // namespace

LogCapture::LogCapture() {
    if (!base::OpenTrafficLogAt(PathOf(dir_.File("traffic.log")))) {
        throw std::runtime_error("cannot open the traffic log");
    }
}

LogCapture::~LogCapture() {
    base::CloseTrafficLog();
}

std::vector<std::string> LogCapture::Messages() const {
    std::vector<std::string> messages;
    std::istringstream in(ReadFileBytes(dir_.File("traffic.log")));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        messages.push_back(line.size() > kStampBytes
                               ? base::Utf16ToUtf8(base::GbkToUtf16(line.substr(kStampBytes)))
                               : std::string());
    }
    return messages;
}

int LogCapture::CountStartingWith(std::string_view prefix) const {
    int count = 0;
    for (const auto& message : Messages()) {
        if (message.starts_with(prefix)) {
            ++count;
        }
    }
    return count;
}

}  // namespace testing_support
