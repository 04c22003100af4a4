#include "support/log_capture.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "base/text.h"
#include "base/traffic_log.h"

namespace testing_support {

LogCapture::LogCapture() {
    if (!base::OpenTrafficLogAt(dir_.File("traffic.log").u16string())) {
        throw std::runtime_error("cannot open the traffic log");
    }
}

LogCapture::~LogCapture() {
    base::CloseTrafficLog();
}

std::vector<std::string> LogCapture::Messages() const {
    constexpr std::size_t kStampBytes = 21;  // "[YYYY-MM-DD hh:mm:ss]"
    std::vector<std::string> messages;
    std::istringstream in(ReadFileBytes(dir_.File("traffic.log")));
    for (std::string line; std::getline(in, line);) {
        std::erase(line, '\r');
        messages.push_back(line.size() > kStampBytes
                               ? base::Utf16ToUtf8(base::GbkToUtf16(line.substr(kStampBytes)))
                               : std::string());
    }
    return messages;
}

int LogCapture::CountStartingWith(std::string_view prefix) const {
    const auto messages = Messages();
    return static_cast<int>(
        std::ranges::count_if(messages, [&](const auto& m) { return m.starts_with(prefix); }));
}

}  // namespace testing_support
